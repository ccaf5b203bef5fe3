#include "Commands.h"

#include "ArchiveCommand.h"
#include "ArchiveSource.h"
#include "BackupFiles.h"
#include "CheckedOutput.h"
#include "CliText.h"
#include "DatabaseBackup.h"
#include "DefaultDatabase.h"
#include "ExportCommand.h"
#include "FromArchive.h"
#include "FromSources.h"
#include "ReaderConnection.h"
#include "ReaderLibrary.h"
#include "StatisticsFormats.h"
#include "StatisticsReading.h"
#include "SyncCommand.h"
#include "TemplateSet.h"
#include "UserFolders.h"
#include "WordsCommand.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <system_error>

namespace {

class WarningsTo : public SilentProgress {
public:
    explicit WarningsTo(std::ostream& err) : m_err(err) {}
    // A carriage return would send the terminal back over what the line said so far.
    void Warn(const std::string& text) override { m_err << "marvik-cli: " << WithLineBreaks(text) << '\n'; }

private:
    std::ostream& m_err;
};

std::filesystem::path DatabaseOf(const CommandLine& line, const VolumeSource& volumes) {
    if (line.database)
        return *line.database;
    return DefaultDatabasePath(volumes, std::filesystem::current_path());
}

// Why a path that names no regular file is no database to open; the window says only that no file was found.
[[noreturn]] void RaiseNoDatabaseFile(const std::filesystem::path& database, DatabasePathKind kind) {
    const std::string notAFile = "not a database file: " + database.string();
    switch (kind) {
    case DatabasePathKind::Folder:
        throw std::runtime_error(notAFile + " is a folder");
    case DatabasePathKind::Fifo:
        throw std::runtime_error(notAFile + " is a FIFO");
    case DatabasePathKind::Device:
        throw std::runtime_error(notAFile + " is a device");
    case DatabasePathKind::Socket:
        throw std::runtime_error(notAFile + " is a socket");
    case DatabasePathKind::File:
    case DatabasePathKind::NotFound:
        break;
    }
    throw std::runtime_error("database file not found: " + database.string());
}

// A missing file is an error here, and so is a path that names no file.
void RequireDatabaseFile(const std::filesystem::path& database) {
    if (const DatabasePathKind kind = KindOfDatabasePath(database); kind != DatabasePathKind::File)
        RaiseNoDatabaseFile(database, kind);
}

void LoadExisting(ReaderLibrary& library, const std::filesystem::path& database, ProgressReporter& progress,
                  const ReadingOptions& options) {
    const LoadOutcome outcome = library.LoadDatabase(database, progress, options);
    switch (outcome.kind) {
    case LoadOutcome::Kind::Loaded:
        return;
    case LoadOutcome::Kind::Failed:
        std::rethrow_exception(outcome.exception);
    case LoadOutcome::Kind::NotFound:
    case LoadOutcome::Kind::NotAFile:
        break;
    }
    RaiseNoDatabaseFile(database, outcome.pathKind);
}

int List(const AnnotationSource& library, std::ostream& out) {
    const LibraryIndex& index = library.Index();
    // The id stays as stored, byte for byte, where it holds no control character: scripts hand it back to export.
    for (const std::string& id : index.Volumes.Entries()) {
        out << OneLineField(id) << '\t' << AsShown(index.TitlePairs.ValueOf(id)) << '\t'
            << AsShown(index.AuthorPairs.ValueOf(id)) << '\n';
    }
    return kExitOk;
}

int Repair(const CommandLine& line, const ReaderLibrary& library, ProgressReporter& progress, std::ostream& out) {
    if (!library.HasBookmarks(line.volumeIds.front()))
        RaiseUnknownVolume(line.volumeIds.front());
    for (const std::string& statement :
         library.RepairContentIds(line.volumeIds.front(), progress, line.options.reading))
        out << statement << '\n';
    return kExitOk;
}

// The path of the backup on standard output, like every path this program prints; the remark on standard error.
int Backup(const CommandLine& line, const std::filesystem::path& database, ProgressReporter& progress,
           std::ostream& out, std::ostream& err) {
    RequireDatabaseFile(database);
    const BackupResult result =
        BackUpDatabase(database, line.backupFolder.value_or(UserBackupFolder()), line.backupsKept, progress);
    if (result.noDatabase)
        throw std::runtime_error("database file not found: " + database.string());
    out << result.file.string() << '\n';
    if (result.duplicate)
        err << "marvik-cli: the database equals the newest backup: not kept twice\n";
    out.flush();
    AddBackupToArchive(line, result.file, line.backupFolder.value_or(UserBackupFolder()), progress, err);
    return kExitOk;
}

// The database with the backups of its folder, read as every action reads; figures on standard output.
int Stats(const CommandLine& line, const std::filesystem::path& database, ProgressReporter& progress,
          std::ostream& out) {
    RequireDatabaseFile(database);
    std::vector<std::filesystem::path> backups;
    if (line.statsBackups) {
        // A folder asked for by name must be one: no backups found there would read as none made.
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(*line.statsBackups, error);
        if (!std::filesystem::exists(status))
            throw std::runtime_error("backups folder not found: " + line.statsBackups->string());
        if (!std::filesystem::is_directory(status))
            throw std::runtime_error("backups folder is not a folder: " + line.statsBackups->string());
    }
    if (line.withBackups)
        backups = ListBackups(line.statsBackups.value_or(UserBackupFolder()));
    const std::optional<ReadingStatistics> statistics = ReadReadingStatistics(database, backups, progress);
    if (!statistics)
        throw std::runtime_error("database file not found: " + database.string());
    switch (line.statsFormat) {
    case StatsFormat::Text:
        out << StatisticsText(*statistics);
        break;
    case StatsFormat::Json:
        out << StatisticsJson(*statistics);
        break;
    case StatsFormat::Csv:
        out << StatisticsCsv(*statistics);
        break;
    }
    return kExitOk;
}

// Every set with where it comes from; each is checked, and one that cannot be used is named with its error.
int Templates(std::ostream& out, std::ostream& err) {
    int status = kExitOk;
    for (const TemplateSetEntry& set : ListTemplateSets()) {
        out << set.name << '\t' << (set.folder.empty() ? std::string("built in") : set.folder.string()) << '\n';
        try {
            [[maybe_unused]] const TemplateSet checked(
                FindTemplateSet(set.folder.empty() ? set.name : set.folder.string()));
        } catch (const std::exception& error) {
            out.flush();
            err << "marvik-cli: " << set.name << ": " << error.what() << '\n';
            status = kExitError;
        }
    }
    return status;
}

int RunCommand(CommandLine line, const VolumeSource& volumes, std::ostream& out, std::ostream& err) {
    // Status and progress are for a window; stdout stays free for what scripts read, warnings go with the errors.
    WarningsTo progress(err);
    if (line.command == Command::Templates)
        return Templates(out, err);
    if (line.command == Command::Archive)
        return RunArchive(line, progress, out, err);
    // Read and checked before the database is: a template that cannot be used writes nothing.
    if (line.templateSet)
        line.options.templates = TemplateSet::Named(*line.templateSet);
    if (line.command == Command::Backup)
        return Backup(line, DatabaseOf(line, volumes), progress, out, err);
    // A notes folder that cannot be synced stops the sync before the database is read.
    std::optional<NotesFolder> notes;
    if (line.command == Command::Sync)
        notes.emplace(line.notesFolder);
    // The archive's reading stands for the reader's database.
    const std::shared_ptr<const ArchiveReading> archived = line.fromArchive ? ReadArchiveOf(line, progress) : nullptr;
    if (line.command == Command::Stats) {
        const std::filesystem::path database = archived                 ? archived->Path()
                                               : line.fromPaths.empty() ? DatabaseOf(line, volumes)
                                                                        : StatsDatabaseFrom(line, err);
        return Stats(line, database, progress, out);
    }
    if (line.command == Command::Words) {
        const std::filesystem::path database = DatabaseOf(line, volumes);
        RequireDatabaseFile(database);
        return PrintSavedWords(line, database, progress, out, err);
    }
    // The notes remember the archive, not its reading, as where their highlights came from.
    if (line.command == Command::Sync && archived)
        return SyncNotes(line, ArchiveSource(archived, progress), *notes, progress, out, err);
    std::unique_ptr<AnnotationSource> source;
    ReaderLibrary* database = nullptr; // the source where it is the reader's database alone
    if (!line.fromPaths.empty()) {
        source = OpenFromSources(line, progress);
    } else {
        auto library = std::make_unique<ReaderLibrary>();
        LoadExisting(*library, archived ? archived->Path() : DatabaseOf(line, volumes), progress, line.options.reading);
        database = library.get();
        source = std::move(library);
    }
    switch (line.command) {
    case Command::List:
        return List(*source, out);
    case Command::Export:
        return ExportHighlights(line, *source, progress, out, err);
    case Command::Repair:
        if (database == nullptr)
            throw std::logic_error("repair reads the reader's database alone");
        return Repair(line, *database, progress, out);
    case Command::Sync:
        return SyncNotes(line, *source, *notes, progress, out, err);
    case Command::Backup:
    case Command::Stats:
    case Command::Templates:
    case Command::Archive:
    case Command::Words:
    case Command::Help:
        break;
    }
    return kExitOk;
}

int Run(const CommandLine& line, const VolumeSource& volumes, std::ostream& out, std::ostream& err) {
    if (line.command == Command::Help) {
        out << HelpText();
        return kExitOk;
    }
    try {
        return RunCommand(line, volumes, out, err);
    } catch (const std::exception& error) {
        out.flush();
        err << WithLineBreaks(error.what()) << '\n';
        return kExitError;
    }
}

} // namespace

int RunCli(const std::vector<std::string>& arguments, const VolumeSource& volumes, std::ostream& out,
           std::ostream& err) {
    CommandLine line;
    try {
        line = ParseCommandLine(arguments);
    } catch (const EUsageError& error) {
        err << "marvik-cli: " << error.what() << "\n" << UsageText();
        return kExitUsage;
    }
    // A script must not take lost output (a full disk, a closed pipe) for success.
    CheckedOutputBuffer checked(*out.rdbuf());
    std::ostream results(&checked);
    const int status = Run(line, volumes, results, err);
    results.flush();
    if (!checked.Failed())
        return status;
    err << "marvik-cli: cannot write to standard output";
    if (checked.Error() != 0)
        err << ": " << std::generic_category().message(checked.Error());
    err << '\n';
    return kExitError;
}
