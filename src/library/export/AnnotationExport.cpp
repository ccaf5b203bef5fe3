#include "AnnotationExport.h"

#include "EFileError.h"
#include "ExportRun.h"
#include "HeldExportFiles.h"
#include "NumberedNamesRun.h"
#include "TemporaryFile.h"
#include "WholeExportFile.h"

#include <future>
#include <optional>
#include <system_error>
#include <unordered_set>

namespace {

// The volumes of an export of many books as they are read: each kept as its file (HeldExportFiles), far less than its
// records, until every book is read.
class HeldBooks : public VolumeReceiver {
public:
    struct Book {
        std::string volumeId;
        std::filesystem::path target{};
        std::size_t file = 0;      // of held
        std::string unreadBecause; // the error that kept it from being read
        std::size_t highlights = 0;
        LedgerMarks marks{}; // what the file adds to the ledger, to record once it is written
        bool nothingNew = false;
    };

    HeldBooks(ExportRun& run, const std::filesystem::path& resultsFolder)
        : m_run(run), m_resultsFolder(resultsFolder), m_held(resultsFolder.empty() ? "." : resultsFolder) {}

    void Restart() override {
        m_books.clear();
        m_held.Clear();
    }
    void Take(const std::string& volumeId, AnnotatedVolume&& volume) override {
        Book& book = m_books.emplace_back();
        book.volumeId = volumeId;
        try {
            book.target = ExportTargetPath(m_resultsFolder, volumeId, volume.title, volume.author, m_run.Format());
            std::optional<LedgerMarks> marks = m_run.Prepare(volume, book.target);
            book.nothingNew = !marks;
            if (book.nothingNew)
                return;
            book.marks = std::move(*marks);
            book.highlights = volume.bookmarks.size();
            std::error_code missing;
            const bool replacing =
                m_run.Replaces() && std::filesystem::exists(std::filesystem::symlink_status(book.target, missing));
            book.file = m_held.Hold(m_run.Writer(), std::move(volume), replacing);
        } catch (const EFileError& error) {
            book.unreadBecause = error.what(); // a picture that could not be written
        }
    }
    void Unread(const std::string& volumeId, const std::string& reason) override {
        m_books.push_back({.volumeId = volumeId, .unreadBecause = reason});
    }

    // Gives each held file its name, in the order read, and records what was written.
    ExportAllResult Write(ProgressReporter& progress) {
        m_held.Finish();
        ExportAllResult result;
        for (Book& book : m_books) {
            if (progress.StopRequested()) {
                result.stopped = true;
                break;
            }
            if (book.nothingNew)
                continue;
            // A book that could not be read, or whose file the results folder had no room to hold.
            const std::string& unwritable = book.unreadBecause.empty() ? m_held.Failure(book.file) : book.unreadBecause;
            if (!unwritable.empty()) {
                result.failed.push_back({book.volumeId, unwritable});
                continue;
            }
            try {
                const ExportResult written =
                    m_held.Write(book.file, std::string(m_run.Format().extension), book.target, m_run.Replaces());
                if (written.outcome == ExportOutcome::Written) {
                    result.written.push_back(written.file);
                    result.highlights += book.highlights;
                    m_run.Record(book.volumeId, std::move(book.marks));
                } else {
                    result.failed.push_back({book.volumeId, "something went wrong!"});
                }
            } catch (const std::exception& error) {
                result.failed.push_back({book.volumeId, error.what()});
            }
            m_held.Release(book.file); // written: its memory is free for the rest
        }
        return result;
    }
    std::size_t Count() const { return m_books.size(); }

private:
    ExportRun& m_run;
    const std::filesystem::path& m_resultsFolder;
    std::vector<Book> m_books;
    HeldExportFiles m_held;
};

} // namespace

bool WriteAnnotations(const AnnotationSource& source, const std::string& volumeId, const ExportOptions& options,
                      ByteSink& sink, ProgressReporter& progress) {
    const std::optional<AnnotatedVolume> volume = source.ReadVolume(volumeId, ReadingFor(options), progress);
    if (!volume)
        return false;
    MakeAnnotationWriter(options)->Write(*volume, sink);
    progress.ResetProgress();
    progress.SetStatus("");
    return true;
}

ExportResult ExtractAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                const std::filesystem::path& target, const ExportOptions& options,
                                ProgressReporter& progress) {
    ExportRun run(options, target.parent_path(), progress);
    std::optional<AnnotatedVolume> read = source.ReadVolume(volumeId, run.Reading(), progress);
    if (!read)
        return {ExportOutcome::NoDatabase, {}};
    AnnotatedVolume& volume = *read;
    ExportResult result;
    std::optional<LedgerMarks> marks;
    std::future<LedgerMarks> marksMeanwhile; // after read: waited for before the volume goes
    if (run.OnlyNew()) {
        marks = run.Prepare(volume, target);
    } else {
        marksMeanwhile = run.PrepareWhole(volume, target);
        marks.emplace();
    }
    if (!marks) {
        result.outcome = ExportOutcome::NothingNew;
    } else {
        // Written straight into the new file: the file of a big book is never held whole.
        result = WriteExportFile(
            [&](TemporaryFile& file, const std::filesystem::path& name) {
                FileSink sink(file, name);
                run.Writer().Write(volume, sink);
            },
            std::string(run.Format().extension), target, run.Replaces());
        result.highlights = volume.bookmarks.size();
        if (marksMeanwhile.valid())
            marks = marksMeanwhile.get();
        read.reset(); // before the ledger is written: both may be large
        if (result.outcome == ExportOutcome::Written) {
            run.Record(volumeId, std::move(*marks));
            result.ledgerNotSaved = run.Save(1, progress);
        }
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}

ExportAllResult ExtractAllAnnotations(const AnnotationSource& source, const std::vector<std::string>& volumeIds,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress) {
    ExportRun run(options, resultsFolder, progress);
    if (!run.Format().wholeExportFile.empty())
        return ExtractIntoOneFile(source, volumeIds, resultsFolder, run, progress);
    const NumberedNamesRun numbering; // books of one name each take the next number
    HeldBooks books(run, resultsFolder);
    if (!source.ReadVolumes(volumeIds, run.Reading(), progress, books))
        return {.noDatabase = true};
    ExportAllResult result = books.Write(progress);
    result.stopped = result.stopped || books.Count() < volumeIds.size();
    result.ledgerNotSaved = run.Save(result.written.size(), progress);
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}

ExportResult ExtractSelectedAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                        const std::vector<std::string>& bookmarkIds,
                                        const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                        ProgressReporter& progress) {
    ExportOptions plain = options;
    plain.newOnly = false;
    // Chosen highlights name no drawings' pictures.
    plain.markupRenderer = nullptr;
    ExportRun run(plain, resultsFolder, progress);
    std::optional<AnnotatedVolume> volume = source.ReadVolume(volumeId, run.Reading(), progress);
    progress.ResetProgress();
    progress.SetStatus("");
    if (!volume)
        return {ExportOutcome::NoDatabase, {}};
    const std::unordered_set<std::string_view> chosen(bookmarkIds.begin(), bookmarkIds.end());
    std::erase_if(volume->bookmarks,
                  [&](const AnnotatedBookmark& bookmark) { return !chosen.contains(bookmark.bookmarkId); });
    const std::filesystem::path target = ExportTarget(source, volumeId, resultsFolder, plain);
    LedgerMarks marks = run.Prepare(*volume, target).value_or(LedgerMarks{});
    ExportResult result = WriteExportFile(run.Writer().Render(*volume), std::string(run.Format().extension), target,
                                          options.overrideExisting);
    result.highlights = volume->bookmarks.size();
    if (result.outcome == ExportOutcome::Written) {
        volume.reset(); // before the ledger is written
        run.Record(volumeId, std::move(marks));
        result.ledgerNotSaved = run.Save(1, progress);
    }
    return result;
}

std::filesystem::path ExportTarget(const AnnotationSource& source, const std::string& volumeId,
                                   const std::filesystem::path& resultsFolder, const ExportOptions& options) {
    const LibraryIndex& index = source.Index();
    return ExportTargetPath(resultsFolder, volumeId, index.TitlePairs.ValueOf(volumeId),
                            index.AuthorPairs.ValueOf(volumeId), FormatRow(options.format));
}
