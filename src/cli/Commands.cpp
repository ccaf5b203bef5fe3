#include "Commands.h"

#include "AnnotationExport.h"
#include "ArchiveCommand.h"
#include "ArchiveSource.h"
#include "BackupFiles.h"
#include "CheckedOutput.h"
#include "DatabaseBackup.h"
#include "DefaultDatabase.h"
#include "ExportLedger.h"
#include "FromArchive.h"
#include "NumberedNamesRun.h"
#include "ReaderConnection.h"
#include "ReaderLibrary.h"
#include "StatisticsFormats.h"
#include "StatisticsReading.h"
#include "SyncCommand.h"
#include "TemplateSet.h"
#include "UserFolders.h"
#include "Utf8.h"

#include <algorithm>
#include <ostream>
#include <system_error>

namespace {

// Messages of the access layer separate their lines with a lone carriage return.
std::string WithLineBreaks(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message;
}

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

void CreateResultsFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return;
    if (std::filesystem::exists(folder, error))
        throw std::runtime_error("results folder is not a folder: " + folder.string());
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("cannot create the results folder " + folder.string() + ": " + error.message());
}

// One field of a line of the list: control characters (line breaks, TABs, a terminal's escapes) become spaces, so
// that every volume stays one line of three fields and nothing reaches the terminal but text.
std::string OneLineField(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            text[i] = ' ';
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            text.replace(i, 2, " "); // U+0080 to U+009F, the control characters of Latin-1
        }
    }
    return text;
}

// What the window's labels show: they decode UTF-8, and text that is not valid UTF-8 shows as empty.
std::string AsShown(std::string text) {
    return IsValidUtf8(text) ? OneLineField(std::move(text)) : std::string();
}

int List(const ReaderLibrary& library, std::ostream& out) {
    const LibraryIndex& index = library.Index();
    // The id stays as stored, byte for byte, where it holds no control character: scripts hand it back to export.
    for (const std::string& id : index.Volumes.Entries()) {
        out << OneLineField(id) << '\t' << AsShown(index.TitlePairs.ValueOf(id)) << '\t'
            << AsShown(index.AuthorPairs.ValueOf(id)) << '\n';
    }
    return kExitOk;
}

// A volume id that names no bookmark in the database is a mistake to report, not a book to write an empty file for.
[[noreturn]] void RaiseUnknownVolume(const std::string& volumeId) {
    throw std::runtime_error("not found: " + volumeId);
}

// The given volumes one by one, as double-clicks on their rows would write them. A volume that fails keeps none of
// the others from being written; each path is printed as soon as its file is there. A ledger that cannot be saved
// stops the export after the file it was to record, with its message in ledgerNotSaved. Ids that name no volume of
// the database go to unknown, and nothing is written for them.
ExportAllResult ExportEach(const ReaderLibrary& library, const CommandLine& line, ProgressReporter& progress,
                           std::ostream& out, std::string& ledgerNotSaved, std::vector<std::string>& unknown) {
    ExportAllResult result;
    for (const std::string& id : line.volumeIds) {
        if (!library.HasBookmarks(id)) {
            unknown.push_back(id);
            continue;
        }
        ExportResult exported;
        try {
            exported = library.ExtractAnnotations(id, library.ExportTarget(id, line.resultsFolder, line.options),
                                                  line.options, progress);
        } catch (const ELedgerNotSaved& error) {
            for (const std::filesystem::path& file : error.Result().written) {
                out << file.string() << '\n' << std::flush;
                result.written.push_back(file);
            }
            result.highlights += error.Result().highlights;
            ledgerNotSaved = error.what();
            break;
        } catch (const ELedgerError&) {
            throw; // the folder's, not the book's: no other book can be exported either
        } catch (const std::exception& error) {
            result.failed.push_back({id, error.what()});
            continue;
        }
        result.highlights += exported.highlights;
        switch (exported.outcome) {
        case ExportOutcome::Written:
            out << exported.file.string() << '\n' << std::flush;
            result.written.push_back(exported.file);
            break;
        case ExportOutcome::Failed:
            result.failed.push_back({id, "something went wrong!"});
            break;
        case ExportOutcome::NothingNew:
            break;
        case ExportOutcome::NoDatabase:
            throw std::runtime_error("database file not found: " + library.DatabasePath().string());
        }
    }
    return result;
}

std::string NewHighlightsText(const ExportAllResult& result) {
    if (result.highlights == 0)
        return "no new highlights";
    const auto counted = [](std::size_t count, const std::string& noun) {
        return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
    };
    return counted(result.highlights, "new highlight") + " in " + counted(result.written.size(), "book");
}

// Given ids or every listed volume, as the window's "export all books" does: the failures are told at the end.
int Export(const CommandLine& line, const ReaderLibrary& library, ProgressReporter& progress, std::ostream& out,
           std::ostream& err) {
    if (line.toStandardOutput) {
        if (!library.HasBookmarks(line.volumeIds.front()))
            RaiseUnknownVolume(line.volumeIds.front());
        // Written as it is made: the file of a big book is never held whole.
        class StreamSink : public ByteSink {
        public:
            explicit StreamSink(std::ostream& stream) : m_stream(stream) {}
            void Take(std::string_view bytes) override {
                m_stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            }

        private:
            std::ostream& m_stream;
        } sink(out);
        if (!library.WriteAnnotations(line.volumeIds.front(), line.options, sink, progress))
            throw std::runtime_error("database file not found: " + library.DatabasePath().string());
        return kExitOk;
    }
    CreateResultsFolder(line.resultsFolder);
    const NumberedNamesRun numbering; // books of one name each take the next number
    ExportAllResult result;
    // The files are there even when their ledger could not be saved: they are listed, and the ledger's failure last.
    std::string ledgerNotSaved;
    std::vector<std::string> unknown;
    if (line.all) {
        try {
            result = library.ExtractAllAnnotations(library.Index().Volumes.Entries(), line.resultsFolder, line.options,
                                                   progress);
        } catch (const ELedgerNotSaved& error) {
            result = error.Result();
            ledgerNotSaved = error.what();
        }
        for (const std::filesystem::path& file : result.written)
            out << file.string() << '\n';
    } else {
        result = ExportEach(library, line, progress, out, ledgerNotSaved, unknown);
    }
    out.flush();
    // Standard output stays a list of paths, one a line, for the scripts that read it.
    if (line.options.newOnly)
        err << "marvik-cli: " << NewHighlightsText(result) << '\n';
    if (!result.failed.empty()) {
        err << "something went wrong!\n";
        for (const FailedExport& failed : result.failed)
            err << failed.volumeId << ": " << WithLineBreaks(failed.reason) << '\n';
    }
    for (const std::string& id : unknown)
        err << "not found: " << id << '\n';
    if (!ledgerNotSaved.empty())
        err << WithLineBreaks(ledgerNotSaved) << '\n';
    return result.failed.empty() && ledgerNotSaved.empty() && unknown.empty() ? kExitOk : kExitError;
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
    const std::filesystem::path database = archived ? archived->Path() : DatabaseOf(line, volumes);
    if (line.command == Command::Stats)
        return Stats(line, database, progress, out);
    // The notes remember the archive, not its reading, as where their highlights came from.
    if (line.command == Command::Sync && archived)
        return SyncNotes(line, ArchiveSource(archived, progress), *notes, progress, out, err);
    ReaderLibrary library;
    LoadExisting(library, database, progress, line.options.reading);
    switch (line.command) {
    case Command::List:
        return List(library, out);
    case Command::Export:
        return Export(line, library, progress, out, err);
    case Command::Repair:
        return Repair(line, library, progress, out);
    case Command::Sync:
        return SyncNotes(line, library, *notes, progress, out, err);
    case Command::Backup:
    case Command::Stats:
    case Command::Templates:
    case Command::Archive:
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
