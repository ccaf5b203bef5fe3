#include "SourceExport.h"

#include "AnnotationExport.h"
#include "FolderLedger.h"
#include "MarkupPictures.h"

namespace {

// As the reader database's exports read: whole records where the format shows them or the ledger needs the dates.
ReadingOptions ReadingFor(const ExportOptions& options) {
    ReadingOptions reading = options.reading;
    reading.wholeRecords = FormatRow(options.format).wholeRecords || options.newOnly;
    return reading;
}

} // namespace

std::filesystem::path SourceExportTarget(const AnnotationSource& source, const std::string& volumeId,
                                         const std::filesystem::path& resultsFolder, const ExportOptions& options) {
    const LibraryIndex& index = source.Index();
    return ExportTargetPath(resultsFolder, volumeId, index.TitlePairs.ValueOf(volumeId),
                            index.AuthorPairs.ValueOf(volumeId), FormatRow(options.format));
}

ExportResult ExtractSourceAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                      const std::filesystem::path& target, const ExportOptions& options,
                                      ProgressReporter& progress) {
    FolderLedger ledger(options, target.parent_path(), progress);
    std::optional<AnnotatedVolume> read = source.ReadVolume(volumeId, ReadingFor(options), progress);
    if (!read)
        return {ExportOutcome::NoDatabase, {}};
    AnnotatedVolume& volume = *read;
    LedgerMarks marks = ledger.Marks(volume);
    ExportResult result;
    if (ledger.OnlyNew() && marks.marks.empty()) {
        result.outcome = ExportOutcome::NothingNew;
    } else {
        if (FormatRow(options.format).wholeRecords && options.markupRenderer)
            PlaceMarkupPictures(volume, *options.markupRenderer, target);
        const std::unique_ptr<AnnotationWriter> writer = MakeAnnotationWriter(options);
        result = WriteExportFile(
            [&](TemporaryFile& file, const std::filesystem::path& name) {
                FileSink sink(file, name);
                writer->Write(volume, sink);
            },
            std::string(FormatRow(options.format).extension), target, options.overrideExisting && !options.newOnly);
        result.highlights = volume.bookmarks.size();
        if (result.outcome == ExportOutcome::Written) {
            ledger.Record(volumeId, std::move(marks));
            ledger.Save({.written = {result.file}, .failed = {}, .highlights = result.highlights}, progress);
        }
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}

bool WriteSourceAnnotations(const AnnotationSource& source, const std::string& volumeId, const ExportOptions& options,
                            ByteSink& sink, ProgressReporter& progress) {
    const std::optional<AnnotatedVolume> volume = source.ReadVolume(volumeId, ReadingFor(options), progress);
    if (!volume)
        return false;
    MakeAnnotationWriter(options)->Write(*volume, sink);
    progress.ResetProgress();
    progress.SetStatus("");
    return true;
}
