#include "ExportCommand.h"

#include "AnnotationExport.h"
#include "BookFile.h"
#include "CliText.h"
#include "ELedgerError.h"
#include "HtmlIndexFile.h"
#include "NumberedNamesRun.h"

#include <ostream>
#include <stdexcept>
#include <system_error>

namespace {

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

// The given volumes one by one, as double-clicks on their rows would write them. A volume that fails keeps none of
// the others from being written; each path is printed as soon as its file is there. A ledger that cannot be saved
// stops the export after the file it was to record, with its message in the result. Ids that name no volume of
// the database go to unknown, and nothing is written for them.
ExportAllResult ExportEach(const AnnotationSource& library, const CommandLine& line, ProgressReporter& progress,
                           std::ostream& out, std::vector<std::string>& unknown) {
    ExportAllResult result;
    for (const std::string& id : line.volumeIds) {
        if (!library.HasBookmarks(id)) {
            unknown.push_back(id);
            continue;
        }
        ExportResult exported;
        try {
            exported = ExtractAnnotations(library, id, ExportTarget(library, id, line.resultsFolder, line.options),
                                          line.options, progress);
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
            if (!exported.ledgerNotSaved.empty()) {
                result.ledgerNotSaved = exported.ledgerNotSaved;
                return result;
            }
            break;
        case ExportOutcome::Failed:
            result.failed.push_back({id, "something went wrong!"});
            break;
        case ExportOutcome::NothingNew:
            break;
        case ExportOutcome::NoDatabase:
            throw std::runtime_error("database file not found: " + library.Facts().path.string());
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
    return counted(result.highlights, "new highlight") + " in " + counted(result.Books(), "book");
}

} // namespace

int ExportHighlights(const CommandLine& given, const AnnotationSource& library, ProgressReporter& progress,
                     std::ostream& out, std::ostream& err) {
    // Covers come from the reader's own volume, where the database read is the one on it.
    CommandLine line = given;
    if (library.Facts().kind == SourceKind::ReaderDatabase)
        line.options.coverVolume = ReaderVolumeOf(library.Facts().path).value_or(std::filesystem::path());
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
        if (!WriteAnnotations(library, line.volumeIds.front(), line.options, sink, progress))
            throw std::runtime_error("database file not found: " + library.Facts().path.string());
        return kExitOk;
    }
    CreateResultsFolder(line.resultsFolder);
    const NumberedNamesRun numbering; // books of one name each take the next number
    ExportAllResult result;
    std::vector<std::string> unknown;
    if (!FormatRow(line.options.format).wholeExportFile.empty()) {
        // One file holds every book asked for.
        std::vector<std::string> known;
        for (const std::string& id : line.volumeIds)
            (library.HasBookmarks(id) ? known : unknown).push_back(id);
        result = ExtractAllAnnotations(library, line.all ? library.Index().Volumes.Entries() : known,
                                       line.resultsFolder, line.options, progress);
        for (const std::filesystem::path& file : result.written)
            out << file.string() << '\n';
    } else if (line.all) {
        result = ExtractAllAnnotations(library, library.Index().Volumes.Entries(), line.resultsFolder, line.options,
                                       progress);
        for (const std::filesystem::path& file : result.written)
            out << file.string() << '\n';
        // Every book's page, and one page that links them.
        if (line.options.format == ExportFormat::Html && !result.written.empty())
            out << WriteHtmlIndex(library, line.resultsFolder, line.options, result.written).string() << '\n';
    } else {
        result = ExportEach(library, line, progress, out, unknown);
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
    // The files are there even when their ledger could not be saved: they are listed, and the ledger's failure last.
    if (!result.ledgerNotSaved.empty())
        err << WithLineBreaks(result.ledgerNotSaved) << '\n';
    return result.failed.empty() && result.ledgerNotSaved.empty() && unknown.empty() ? kExitOk : kExitError;
}
