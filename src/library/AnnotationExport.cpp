#include "AnnotationExport.h"

#include "ChapterTitles.h"
#include "EFileError.h"
#include "FolderLedger.h"
#include "HeldExportFiles.h"
#include "MarkupPictures.h"
#include "NumberedNamesRun.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "TemplateAnnotationWriter.h"
#include "TemporaryFile.h"
#include "VolumeReader.h"

#include <optional>
#include <system_error>
#include <unordered_map>

namespace {

// Lets the exports of many books move one progress bar: their own statuses, starts and resets are not passed on.
class SharedProgress : public ProgressReporter {
public:
    explicit SharedProgress(ProgressReporter& outer) : m_outer(outer) {}
    void SetStatus(const std::string&) override {}
    void StartProgress(std::size_t) override {}
    void StepProgress() override { m_outer.StepProgress(); }
    void ResetProgress() override {}
    void Warn(const std::string& text) override { m_outer.Warn(text); }

private:
    ProgressReporter& m_outer;
};

// How many bookmarks the exports of the volumes will order, for the length of the progress bar: as the index counted
// them when it can tell, else from a pass over the Bookmark table.
std::size_t CountBookmarks(ReaderConnection& reader, const LibraryIndex& index,
                           const std::vector<std::string>& volumeIds, bool skipDeleted) {
    if (index.Counts && index.Counts->skippedDeleted == skipDeleted) {
        std::size_t total = 0;
        for (const std::string& id : volumeIds)
            if (const auto found = index.Counts->ofVolume.find(id); found != index.Counts->ofVolume.end())
                total += found->second;
        return total;
    }
    std::unordered_map<std::string, std::size_t> counts;
    for (const std::string& id : volumeIds)
        counts.try_emplace(id, 0);
    std::vector<QueryColumn> columns = {"VolumeID"};
    if (skipDeleted)
        columns.push_back(Optional("Hidden"));
    ReaderQuery rows(reader, "Bookmark", columns);
    while (rows.Step()) {
        const auto found = counts.find(std::string(rows.Text(0)));
        if (found != counts.end() && !(skipDeleted && IsDeletedOnReader(rows.Text(1))))
            ++found->second;
    }
    std::size_t total = 0;
    for (const std::string& id : volumeIds)
        total += counts[id];
    return total;
}

// What the format shows decides how much of each record is read; telling what is new needs the dates.
ReadingOptions ReadingFor(const ExportOptions& options) {
    ReadingOptions reading = options.reading;
    reading.wholeRecords = FormatRow(options.format).wholeRecords || options.newOnly;
    return reading;
}

// Who draws the drawings' pictures, for a format that names them: the text file never does, also where it reads the
// whole records to tell what is new.
const MarkupRenderer* PictureRenderer(const ExportOptions& options) {
    return FormatRow(options.format).wholeRecords ? options.markupRenderer.get() : nullptr;
}

// A file of new highlights never replaces one: that holds what the ledger counts as exported.
bool Replaces(const ExportOptions& options) {
    return options.overrideExisting && !options.newOnly;
}

} // namespace

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    if (options.templates && options.format == ExportFormat::Markdown)
        return std::make_unique<TemplateAnnotationWriter>(options.templates);
    return FormatRow(options.format).makeWriter({.separator = options.separator, .setBom = options.setBom});
}

std::optional<std::string> RenderAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                             const std::string& volumeId, const ExportOptions& options,
                                             ProgressReporter& progress, KeptReading* kept) {
    StringSink bytes;
    if (!WriteAnnotations(database, index, volumeId, options, bytes, progress, kept))
        return std::nullopt;
    return std::move(bytes.Bytes());
}

bool WriteAnnotations(const std::filesystem::path& database, const LibraryIndex& index, const std::string& volumeId,
                      const ExportOptions& options, ByteSink& sink, ProgressReporter& progress, KeptReading* kept) {
    const std::optional<AnnotatedVolume> volume =
        ReadAnnotatedVolume(database, index, volumeId, ReadingFor(options), progress, kept);
    if (!volume)
        return false;
    MakeAnnotationWriter(options)->Write(*volume, sink);
    progress.ResetProgress();
    progress.SetStatus("");
    return true;
}

ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::filesystem::path& target,
                                const ExportOptions& options, ProgressReporter& progress, KeptReading* kept) {
    FolderLedger ledger(options, target.parent_path(), progress);
    std::optional<AnnotatedVolume> read =
        ReadAnnotatedVolume(database, index, volumeId, ReadingFor(options), progress, kept);
    if (!read)
        return {ExportOutcome::NoDatabase, {}};
    AnnotatedVolume& volume = *read;
    LedgerMarks marks = ledger.Marks(volume);
    ExportResult result;
    if (ledger.OnlyNew() && marks.marks.empty()) {
        result.outcome = ExportOutcome::NothingNew;
    } else {
        if (const MarkupRenderer* renderer = PictureRenderer(options))
            PlaceMarkupPictures(volume, *renderer, target);
        // Written straight into the new file: the file of a big book is never held whole.
        const std::unique_ptr<AnnotationWriter> writer = MakeAnnotationWriter(options);
        result = WriteExportFile(
            [&](TemporaryFile& file, const std::filesystem::path& name) {
                FileSink sink(file, name);
                writer->Write(volume, sink);
            },
            std::string(FormatRow(options.format).extension), target, Replaces(options));
        result.highlights = volume.bookmarks.size();
        read.reset(); // before the ledger is written: both may be large
        if (result.outcome == ExportOutcome::Written) {
            ledger.Record(volumeId, std::move(marks));
            ledger.Save({.written = {result.file}, .failed = {}, .highlights = result.highlights}, progress);
        }
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}

ExportAllResult ExtractAllAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                      const std::vector<std::string>& volumeIds,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress, KeptReading* kept) {
    // Every book is read before the first file is written, so that a reading that must start again (the database
    // changed meanwhile, or is damaged) writes nothing twice.
    // Each book is kept as its file (HeldExportFiles): far less than its records.
    struct Book {
        std::filesystem::path target;
        std::size_t file = 0;      // of held
        std::string unreadBecause; // the error that kept it from being read
        std::size_t highlights = 0;
        LedgerMarks marks; // what the file adds to the ledger, to record once it is written
        bool nothingNew = false;
    };
    FolderLedger ledger(options, resultsFolder, progress);
    const NumberedNamesRun numbering; // books of one name each take the next number
    const std::unique_ptr<AnnotationWriter> writer = MakeAnnotationWriter(options);
    const ExportFormatRow& format = FormatRow(options.format);
    std::vector<Book> books;
    HeldExportFiles held(resultsFolder.empty() ? "." : resultsFolder);
    const bool read = ReadReaderDatabase(
        database, "the highlights", progress,
        [&](ReaderConnection& reader) {
            books.clear();
            held.Clear();
            progress.SetStatus("extracting annotations");
            progress.StartProgress(CountBookmarks(reader, index, volumeIds, options.reading.skipDeletedHighlights));
            // Without indexes, looking the titles up book by book would read the content table each time: they are read
            // once for all books. With them, each kepub book's own rows are found through the BookID index, far fewer
            // than the content table's.
            std::optional<ChapterTitles> chapterTitles;
            if (options.reading.chapterTitlesFromToc && reader.AvoidsIndexes())
                chapterTitles.emplace(ChapterTitles::ForAll(reader));
            SharedProgress shared(progress);
            for (const std::string& id : volumeIds) {
                if (progress.StopRequested())
                    break;
                Book& book = books.emplace_back();
                try {
                    AnnotatedVolume volume = ReadAnnotatedVolume(reader, index, id, ReadingFor(options),
                                                                 chapterTitles ? &*chapterTitles : nullptr, shared);
                    book.marks = ledger.Marks(volume);
                    book.nothingNew = ledger.OnlyNew() && book.marks.marks.empty();
                    if (book.nothingNew)
                        continue;
                    book.highlights = volume.bookmarks.size();
                    book.target = ExportTargetPath(resultsFolder, id, volume.title, volume.author, format);
                    if (const MarkupRenderer* renderer = PictureRenderer(options))
                        PlaceMarkupPictures(volume, *renderer, book.target);
                    std::error_code missing;
                    const bool replacing =
                        Replaces(options) &&
                        std::filesystem::exists(std::filesystem::symlink_status(book.target, missing));
                    book.file = held.Hold(*writer, std::move(volume), replacing);
                } catch (const ESQLiteException& error) {
                    if (error.IsCorrupt())
                        throw;
                    // One book that cannot be read keeps none of the others from being written.
                    book.unreadBecause = error.what();
                } catch (const EFileError& error) {
                    book.unreadBecause = error.what(); // a picture that could not be written
                }
            }
            held.Finish();
        },
        kept);
    ExportAllResult result;
    if (!read) {
        result.noDatabase = true;
        return result;
    }
    result.stopped = books.size() < volumeIds.size();
    for (std::size_t i = 0; i < books.size(); ++i) {
        if (progress.StopRequested()) {
            result.stopped = true;
            break;
        }
        const std::string& id = volumeIds[i];
        if (books[i].nothingNew)
            continue;
        // A book that could not be read, or whose file the results folder had no room to hold.
        const std::string& unwritable =
            books[i].unreadBecause.empty() ? held.Failure(books[i].file) : books[i].unreadBecause;
        if (!unwritable.empty()) {
            result.failed.push_back({id, unwritable});
            continue;
        }
        try {
            const ExportResult written =
                held.Write(books[i].file, std::string(format.extension), books[i].target, Replaces(options));
            if (written.outcome == ExportOutcome::Written) {
                result.written.push_back(written.file);
                result.highlights += books[i].highlights;
                ledger.Record(id, std::move(books[i].marks));
            } else {
                result.failed.push_back({id, "something went wrong!"});
            }
        } catch (const std::exception& error) {
            result.failed.push_back({id, error.what()});
        }
        held.Release(books[i].file); // written: its memory is free for the rest
    }
    ledger.Save(result, progress);
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}
