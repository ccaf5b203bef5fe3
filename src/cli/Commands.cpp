#include "Commands.h"

#include "DefaultDatabase.h"
#include "ReaderConnection.h"
#include "ReaderLibrary.h"

#include <algorithm>
#include <ostream>

namespace {

class WarningsTo : public SilentProgress {
public:
    explicit WarningsTo(std::ostream& err) : m_err(err) {}
    void Warn(const std::string& text) override { m_err << "marvik-cli: " << text << '\n'; }

private:
    std::ostream& m_err;
};

// Messages of the access layer separate their lines with a lone carriage return.
std::string WithLineBreaks(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message;
}

std::filesystem::path DatabaseOf(const CommandLine& line, const VolumeSource& volumes) {
    if (line.database)
        return *line.database;
    return DefaultDatabasePath(volumes, std::filesystem::current_path());
}

// Unlike the window, which stays silent, a missing file is an error here.
void LoadExisting(ReaderLibrary& library, const std::filesystem::path& database, ProgressReporter& progress,
                  const ReadingOptions& options) {
    if (!IsReaderDatabaseFile(database))
        throw std::runtime_error("database file not found: " + database.string());
    library.LoadDatabase(database, progress, options);
    if (library.DatabasePath() != database)
        throw std::runtime_error("database file not found: " + database.string());
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

int List(const ReaderLibrary& library, std::ostream& out) {
    const LibraryIndex& index = library.Index();
    for (const std::string& id : index.Volumes.Entries()) {
        out << id << '\t' << index.TitlePairs.ValueOf(id) << '\t' << index.AuthorPairs.ValueOf(id) << '\n';
    }
    return kExitOk;
}

// Every listed volume in one run, as the window's "export all books" does: the failures are told at the end.
int ExportAll(const ReaderLibrary& library, const CommandLine& line, ProgressReporter& progress, std::ostream& out,
              std::ostream& err) {
    const ExportAllResult result =
        library.ExtractAllAnnotations(library.Index().Volumes.Entries(), line.resultsFolder, line.options, progress);
    for (const std::filesystem::path& file : result.written)
        out << file.string() << '\n';
    out.flush();
    if (result.failed.empty())
        return kExitOk;
    err << "something went wrong!\n";
    for (const FailedExport& failed : result.failed)
        err << failed.volumeId << ": " << WithLineBreaks(failed.reason) << '\n';
    return kExitError;
}

int Export(const CommandLine& line, const ReaderLibrary& library, ProgressReporter& progress, std::ostream& out,
           std::ostream& err) {
    CreateResultsFolder(line.resultsFolder);
    if (line.all)
        return ExportAll(library, line, progress, out, err);
    const std::vector<std::string>& ids = line.volumeIds;
    int status = kExitOk;
    for (const std::string& id : ids) {
        const ExportResult result =
            library.ExtractAnnotations(id, AnnotationTargetPath(line.resultsFolder, id), line.options, progress);
        switch (result.outcome) {
        case ExportOutcome::Written:
            out << result.file.string() << '\n' << std::flush;
            break;
        case ExportOutcome::Failed:
            // The other volumes are still worth writing; the run reports the failure at its end.
            err << "something went wrong!\n" << std::flush;
            status = kExitError;
            break;
        case ExportOutcome::NoDatabase:
            throw std::runtime_error("database file not found: " + library.DatabasePath().string());
        }
    }
    return status;
}

int Repair(const CommandLine& line, const ReaderLibrary& library, ProgressReporter& progress, std::ostream& out) {
    for (const std::string& statement :
         library.RepairContentIds(line.volumeIds.front(), progress, line.options.reading))
        out << statement << '\n';
    return kExitOk;
}

int Run(const CommandLine& line, const VolumeSource& volumes, std::ostream& out, std::ostream& err) {
    // Status and progress are for a window; stdout stays free for what scripts read, warnings go with the errors.
    WarningsTo progress(err);
    ReaderLibrary library;
    LoadExisting(library, DatabaseOf(line, volumes), progress, line.options.reading);
    switch (line.command) {
    case Command::List:
        return List(library, out);
    case Command::Export:
        return Export(line, library, progress, out, err);
    case Command::Repair:
        return Repair(line, library, progress, out);
    case Command::Help:
        break;
    }
    return kExitOk;
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
    if (line.command == Command::Help) {
        out << HelpText();
        return kExitOk;
    }
    try {
        return Run(line, volumes, out, err);
    } catch (const std::exception& error) {
        out.flush();
        err << WithLineBreaks(error.what()) << '\n';
        return kExitError;
    }
}
