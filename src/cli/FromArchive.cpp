#include "FromArchive.h"

#include "ArchiveFile.h"
#include "ArchiveSource.h"
#include "UserFolders.h"

bool AcceptsFromArchive(Command command, const std::string& option) {
    const bool reads =
        command == Command::List || command == Command::Export || command == Command::Sync || command == Command::Stats;
    return reads && (option == "--from-archive" || option == "--live-only" || option == "--archive");
}

void CheckFromArchive(CommandLine& line) {
    if (!AcceptsFromArchive(line.command, "--from-archive"))
        return;
    if (!line.fromArchive) {
        if (line.liveOnly)
            throw EUsageError("--live-only goes with --from-archive");
        if (line.archiveFile)
            throw EUsageError("--archive goes with --from-archive here");
        return;
    }
    if (line.database)
        throw EUsageError("--from-archive reads the archive: it takes no --db");
    if (line.command == Command::Stats && (line.statsBackups || !line.withBackups))
        throw EUsageError("stats --from-archive reads the archive's sessions: it takes no --backups or --no-backups");
    line.options.reading = ArchiveReadingOptions(line.options.reading);
    line.withBackups = false;
}

std::shared_ptr<const ArchiveReading> ReadArchiveOf(const CommandLine& line, ProgressReporter& progress) {
    // Kept between runs in the user's cache, never beside the archive: that may be on the reader.
    return std::make_shared<const ArchiveReading>(line.archiveFile.value_or(DefaultArchivePath(UserDataFolder())),
                                                  line.liveOnly, progress, UserCacheFolder() / "archive-readings");
}

std::string FromArchiveHelpText() {
    return "  --from-archive    list, export, sync, stats: read the archive in place of a reader database:\n"
           "                    every highlight it ever saw, in reading order, each one its reader has lost\n"
           "                    or deleted since marked gone (JSON \"gone\" and \"lastSeen\", CSV columns\n"
           "                    gone and last_seen, Markdown and templates \"gone from the reader, last seen\n"
           "                    DATE\"); stats counts every session the archive holds, without backups.\n"
           "  --live-only       With --from-archive: leave out the highlights gone from the reader.\n";
}
