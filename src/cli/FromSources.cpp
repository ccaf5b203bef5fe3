#include "FromSources.h"

#include "AnnotationExport.h"
#include "CliText.h"
#include "NumberedNamesRun.h"
#include "SourceExport.h"
#include "SourcePaths.h"
#include "SyncCommand.h"

#include <ostream>
#include <stdexcept>
#include <system_error>

namespace {

int List(const AnnotationSource& library, std::ostream& out) {
    const LibraryIndex& index = library.Index();
    for (const std::string& id : index.Volumes.Entries())
        out << OneLineField(id) << '\t' << AsShown(index.TitlePairs.ValueOf(id)) << '\t'
            << AsShown(index.AuthorPairs.ValueOf(id)) << '\n';
    return kExitOk;
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

class StreamSink : public ByteSink {
public:
    explicit StreamSink(std::ostream& stream) : m_stream(stream) {}
    void Take(std::string_view bytes) override {
        m_stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::ostream& m_stream;
};

// As the reader database's export: each path as its file is written, the failures and unknown ids at the end.
int Export(const CommandLine& line, const AnnotationSource& library, ProgressReporter& progress, std::ostream& out,
           std::ostream& err) {
    if (line.toStandardOutput) {
        const std::string& id = line.volumeIds.front();
        if (!library.HasBookmarks(id))
            throw std::runtime_error("not found: " + id);
        StreamSink sink(out);
        if (!WriteSourceAnnotations(library, id, line.options, sink, progress))
            throw std::runtime_error("source file not found: " + library.Facts().path.string());
        return kExitOk;
    }
    CreateResultsFolder(line.resultsFolder);
    const NumberedNamesRun numbering; // books of one name each take the next number
    const std::vector<std::string> ids = line.all ? library.Index().Volumes.Entries() : line.volumeIds;
    std::size_t highlights = 0, written = 0;
    std::vector<std::string> failed, unknown;
    std::string ledgerNotSaved;
    for (const std::string& id : ids) {
        if (!library.HasBookmarks(id)) {
            unknown.push_back(id);
            continue;
        }
        try {
            const ExportResult result = ExtractSourceAnnotations(
                library, id, SourceExportTarget(library, id, line.resultsFolder, line.options), line.options, progress);
            if (result.outcome == ExportOutcome::Written) {
                out << result.file.string() << '\n' << std::flush;
                highlights += result.highlights;
                ++written;
            } else if (result.outcome == ExportOutcome::Failed || result.outcome == ExportOutcome::NoDatabase) {
                failed.push_back(id + ": something went wrong!");
            }
        } catch (const ELedgerNotSaved& error) {
            for (const std::filesystem::path& file : error.Result().written)
                out << file.string() << '\n' << std::flush;
            highlights += error.Result().highlights;
            written += error.Result().written.size();
            ledgerNotSaved = error.what();
            break;
        } catch (const ELedgerError&) {
            throw; // the folder's, not the book's
        } catch (const std::exception& error) {
            failed.push_back(id + ": " + WithLineBreaks(error.what()));
        }
    }
    out.flush();
    if (line.options.newOnly)
        err << "marvik-cli: "
            << (highlights == 0 ? std::string("no new highlights")
                                : std::to_string(highlights) + " new highlight" + (highlights == 1 ? "" : "s") +
                                      " in " + std::to_string(written) + " book" + (written == 1 ? "" : "s"))
            << '\n';
    if (!failed.empty()) {
        err << "something went wrong!\n";
        for (const std::string& failure : failed)
            err << failure << '\n';
    }
    for (const std::string& id : unknown)
        err << "not found: " << id << '\n';
    if (!ledgerNotSaved.empty())
        err << WithLineBreaks(ledgerNotSaved) << '\n';
    return failed.empty() && unknown.empty() && ledgerNotSaved.empty() ? kExitOk : kExitError;
}

std::vector<std::filesystem::path> SourcePathsOf(const CommandLine& line) {
    std::vector<std::filesystem::path> paths;
    if (line.database)
        paths.push_back(*line.database);
    paths.insert(paths.end(), line.fromPaths.begin(), line.fromPaths.end());
    return paths;
}

} // namespace

int RunFromSources(const CommandLine& line, ProgressReporter& progress, std::optional<NotesFolder>& notes,
                   std::ostream& out, std::ostream& err) {
    const std::unique_ptr<CombinedSource> library =
        OpenSourcePaths(SourcePathsOf(line), progress, line.options.reading);
    switch (line.command) {
    case Command::List:
        return List(*library, out);
    case Command::Export:
        return Export(line, *library, progress, out, err);
    case Command::Sync:
        return SyncNotes(line, *library, *notes, progress, out, err);
    default:
        break;
    }
    throw std::logic_error("--from with a command that reads no highlights");
}

std::filesystem::path StatsDatabaseFrom(const CommandLine& line, std::ostream& err) {
    std::optional<std::filesystem::path> database;
    for (const std::filesystem::path& path : SourcePathsOf(line)) {
        const std::vector<SourcePathKind> kinds = KindsOfSourcePath(path);
        const bool kobo = !kinds.empty() && kinds.front() == SourcePathKind::ReaderDatabase;
        if (kobo && !database) {
            std::error_code error;
            database = std::filesystem::is_directory(path, error) ? path / ".kobo" / "KoboReader.sqlite" : path;
            continue;
        }
        err << "marvik-cli: " << path.string()
            << (kobo ? ": one Kobo database at a time: left out"
                     : ": only a Kobo reader's database keeps reading sessions: left out")
            << '\n';
    }
    if (!database)
        throw std::runtime_error("stats: no Kobo database among the paths: only a Kobo reader's database (or the "
                                 "desktop app's Kobo.sqlite) keeps reading sessions");
    return *database;
}
