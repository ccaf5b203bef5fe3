// The parts of ReaderLibrary that serve the library tab: the overview of every book, read alone or beside the index,
// and an export of chosen bookmarks.
#include "ReaderLibrary.h"

#include "ExportFile.h"
#include "FolderLedger.h"
#include "InterruptScope.h"
#include "ReaderConnection.h"
#include "VolumeReader.h"

#include <algorithm>
#include <thread>
#include <unordered_set>

std::optional<LibraryOverview> ReaderLibrary::ReadOverview(const ReadingOptions& options,
                                                           ProgressReporter& progress) const {
    std::optional<LibraryOverview> overview;
    ReadReaderDatabase(
        m_databasePath, "the highlights of every book", progress,
        [&](ReaderConnection& reader) { overview = ReadLibraryOverview(reader, m_index, options); }, &m_kept);
    return overview;
}

LoadOutcome ReaderLibrary::LoadDatabaseAndOverview(const std::filesystem::path& path, ProgressReporter& progress,
                                                   const ReadingOptions& options,
                                                   std::optional<LibraryOverview>& overview) {
    std::optional<OverviewRows> rows;
    std::jthread rowsReading;
    if (KindOfDatabasePath(path) == DatabasePathKind::File) {
        // On a connection of its own, stopped as this thread's database work is.
        rowsReading = std::jthread([&rows, &path, &options, stop = InterruptScope::Current()] {
            std::optional<InterruptScope> interrupt;
            if (stop != nullptr)
                interrupt.emplace(*stop);
            try {
                SilentProgress silent;
                ReadReaderDatabase(path, "the highlights of every book", silent,
                                   [&](ReaderConnection& reader) { rows = ReadOverviewRows(reader, options); });
            } catch (...) {
                rows.reset(); // read again below, where the error reaches the caller
            }
        });
    }
    const LoadOutcome outcome = LoadDatabase(path, progress, options);
    if (rowsReading.joinable())
        rowsReading.join();
    if (outcome.kind != LoadOutcome::Kind::Loaded)
        return outcome;
    if (rows)
        overview = JoinOverview(std::move(*rows), m_index);
    else
        overview = ReadOverview(options, progress);
    return outcome;
}

ExportResult ReaderLibrary::ExtractSelectedAnnotations(const std::string& volumeId,
                                                       const std::vector<std::string>& bookmarkIds,
                                                       const std::filesystem::path& resultsFolder,
                                                       const ExportOptions& options, ProgressReporter& progress) const {
    ExportOptions plain = options;
    plain.newOnly = false;
    FolderLedger ledger(plain, resultsFolder, progress);
    ReadingOptions reading = options.reading;
    reading.wholeRecords = FormatRow(options.format).wholeRecords;
    std::optional<AnnotatedVolume> volume =
        ::ReadAnnotatedVolume(m_databasePath, m_index, volumeId, reading, progress, &m_kept);
    progress.ResetProgress();
    progress.SetStatus("");
    if (!volume)
        return {ExportOutcome::NoDatabase, {}};
    const std::unordered_set<std::string_view> chosen(bookmarkIds.begin(), bookmarkIds.end());
    std::erase_if(volume->bookmarks,
                  [&](const AnnotatedBookmark& bookmark) { return !chosen.contains(bookmark.bookmarkId); });
    LedgerMarks marks = ledger.Marks(*volume);
    ExportResult result =
        WriteExportFile(MakeAnnotationWriter(plain)->Render(*volume), std::string(FormatRow(options.format).extension),
                        ExportTarget(volumeId, resultsFolder, plain), options.overrideExisting);
    result.highlights = volume->bookmarks.size();
    if (result.outcome == ExportOutcome::Written) {
        volume.reset(); // before the ledger is written
        ledger.Record(volumeId, std::move(marks));
        ledger.Save({.written = {result.file}, .failed = {}, .highlights = result.highlights}, progress);
    }
    return result;
}
