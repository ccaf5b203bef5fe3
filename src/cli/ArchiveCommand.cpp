#include "ArchiveCommand.h"

#include "ArchiveFile.h"
#include "ArchiveInputs.h"
#include "ArchiveStatus.h"
#include "UserFolders.h"

#include <algorithm>
#include <ostream>

namespace {

std::filesystem::path ArchiveOf(const CommandLine& line) {
    return line.archiveFile.value_or(DefaultArchivePath(UserDataFolder()));
}

std::string Lines(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "2 databases added (1 known already): 3 new highlights, 1 changed, 1 gone from the reader, 2 new sessions"
std::string OutcomeLine(const ArchiveAddOutcome& outcome) {
    const MergeCounts& counts = outcome.counts;
    std::string line = Counted(outcome.databasesAdded, "database", "databases") + " added";
    if (outcome.databasesKnown > 0)
        line += " (" + Counted(outcome.databasesKnown, "was", "were") + " there already, unchanged)";
    if (!counts.AnythingNew())
        return line + ": nothing new\n";
    line += ": " + Counted(counts.newHighlights, "new highlight", "new highlights") + ", " +
            std::to_string(counts.changedHighlights) + " changed, " + std::to_string(counts.goneHighlights) +
            " gone from the reader";
    if (counts.backHighlights > 0)
        line += ", " + std::to_string(counts.backHighlights) + " back on the reader";
    return line + ", " + Counted(counts.newSessions, "new session", "new sessions") + "\n";
}

} // namespace

std::string ArchiveHelpText() {
    return "  archive add\n"
           "          Adds every highlight, note and reading session of each PATH to the archive, Marvik's own\n"
           "          database that keeps them after the reader has lost them. PATH is a reader database or a\n"
           "          folder of backups (each database in it, oldest first). A database added before, unchanged,\n"
           "          is skipped; the archive does not change. Prints what was new.\n"
           "  archive status\n"
           "          Prints the books, highlights, those gone from the reader, sessions and sources of the\n"
           "          archive, and when each source last brought something new.\n";
}

void CheckArchiveCommand(CommandLine& line) {
    if (line.volumeIds.empty())
        throw EUsageError("archive needs add or status");
    const std::string action = line.volumeIds.front();
    if (action == "add") {
        line.archiveAction = ArchiveAction::Add;
        if (line.volumeIds.size() < 2)
            throw EUsageError("archive add needs a database or a folder of backups");
        if (line.archiveFormat)
            throw EUsageError("archive add takes no --format");
        line.archivePaths.assign(line.volumeIds.begin() + 1, line.volumeIds.end());
    } else if (action == "status") {
        line.archiveAction = ArchiveAction::Status;
        if (line.volumeIds.size() > 1)
            throw EUsageError("archive status takes no path");
        if (line.archiveFormat && *line.archiveFormat != "text" && *line.archiveFormat != "json")
            throw EUsageError("unknown format \"" + *line.archiveFormat + "\" for archive status: text or json");
        line.archiveJson = line.archiveFormat == "json";
    } else {
        throw EUsageError("unknown archive action \"" + action + "\": add or status");
    }
    line.volumeIds.clear();
}

int RunArchive(const CommandLine& line, ProgressReporter& progress, std::ostream& out, std::ostream& err) {
    const std::filesystem::path archive = ArchiveOf(line);
    if (line.archiveAction == ArchiveAction::Status) {
        const ArchiveStatus status = ReadArchiveStatus(archive, progress);
        out << (line.archiveJson ? ArchiveStatusJson(status) : ArchiveStatusText(status));
        return kExitOk;
    }
    // Every PATH is looked at before the archive is opened: a wrong one changes nothing.
    std::vector<ArchiveSourceInput> sources;
    for (const std::filesystem::path& path : line.archivePaths)
        sources.push_back(ArchiveInputOf(path));
    const ArchiveAddOutcome outcome = AddToArchive(archive, sources, progress);
    out << OutcomeLine(outcome);
    out.flush();
    for (const auto& [file, reason] : outcome.failed)
        err << "marvik-cli: not added to the archive: " << file.string() << ": " << Lines(reason) << '\n';
    return outcome.failed.empty() ? kExitOk : kExitError;
}

void AddBackupToArchive(const CommandLine& line, const std::filesystem::path& backup,
                        const std::filesystem::path& folder, ProgressReporter& progress, std::ostream& err) {
    const std::filesystem::path archive = ArchiveOf(line);
    try {
        ArchiveSourceInput input = ArchiveInputOf(backup);
        input.source = std::filesystem::absolute(folder).lexically_normal();
        const ArchiveAddOutcome outcome = AddToArchive(archive, {input}, progress);
        for (const auto& [file, reason] : outcome.failed)
            err << "marvik-cli: warning: the backup was not added to the archive " << archive.string() << ": "
                << Lines(reason) << '\n';
    } catch (const std::exception& failure) {
        err << "marvik-cli: warning: the backup was not added to the archive " << archive.string() << ": "
            << Lines(failure.what()) << '\n';
    }
}
