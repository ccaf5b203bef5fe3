#include "ReaderDatabaseSource.h"

#include "ChapterTitles.h"
#include "ESQLiteException.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeReader.h"

#include <unordered_map>

namespace {

// How many bookmarks the readings of the volumes will order, for the length of the progress bar: as the index counted
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

} // namespace

LoadOutcome ReaderDatabaseSource::LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                                               const ReadingOptions& options) {
    m_index.Clear();
    m_kept.Drop();
    LoadOutcome outcome;
    progress.SetStatus("reading database");
    outcome.pathKind = KindOfDatabasePath(path);
    if (outcome.pathKind != DatabasePathKind::File) {
        outcome.kind =
            outcome.pathKind == DatabasePathKind::NotFound ? LoadOutcome::Kind::NotFound : LoadOutcome::Kind::NotAFile;
        progress.SetStatus("");
        return outcome;
    }
    // Recorded before the reading, so that the console can still reach a database that fails to load.
    m_databasePath = path;
    try {
        const bool read = ReadReaderDatabase(
            path, "the list of books", progress,
            [&](ReaderConnection& reader) { ReadLibraryIndex(reader, m_index, options); }, &m_kept);
        // Gone between the look and the reading.
        outcome.kind = read ? LoadOutcome::Kind::Loaded : LoadOutcome::Kind::NotFound;
        outcome.books = m_index.Volumes.Count();
    } catch (const std::exception& error) {
        // The status stays: it tells what was running when the reading failed.
        outcome.kind = LoadOutcome::Kind::Failed;
        outcome.error = error.what();
        outcome.exception = std::current_exception();
        return outcome;
    }
    progress.SetStatus("");
    return outcome;
}

bool ReaderDatabaseSource::DatabaseExists() const {
    return IsReaderDatabaseFile(m_databasePath);
}

bool ReaderDatabaseSource::HasBookmarks(const std::string& volumeId) const {
    if (m_index.Volumes.Contains(volumeId))
        return true;
    bool found = false;
    SilentProgress silent;
    ReadReaderDatabase(
        m_databasePath, "the bookmarks of " + volumeId, silent,
        [&](ReaderConnection& reader) {
            ReaderQuery rows(reader, "Bookmark", {"VolumeID"}, "WHERE VolumeID=? LIMIT 1", {volumeId});
            found = rows.Step();
        },
        &m_kept);
    return found;
}

std::optional<AnnotatedVolume> ReaderDatabaseSource::ReadVolume(const std::string& volumeId,
                                                                const ReadingOptions& options,
                                                                ProgressReporter& progress) const {
    std::optional<AnnotatedVolume> volume =
        ReadAnnotatedVolume(m_databasePath, m_index, volumeId, options, progress, &m_kept);
    if (volume)
        volume->sources.push_back(Facts());
    return volume;
}

bool ReaderDatabaseSource::ReadVolumes(const std::vector<std::string>& volumeIds, const ReadingOptions& options,
                                       ProgressReporter& progress, VolumeReceiver& receiver) const {
    return ReadReaderDatabase(
        m_databasePath, "the highlights", progress,
        [&](ReaderConnection& reader) {
            receiver.Restart();
            progress.SetStatus("extracting annotations");
            progress.StartProgress(CountBookmarks(reader, m_index, volumeIds, options.skipDeletedHighlights));
            // Without indexes, looking the titles up book by book would read the content table each time: they are read
            // once for all books. With them, each kepub book's own rows are found through the BookID index, far fewer
            // than the content table's.
            std::optional<ChapterTitles> chapterTitles;
            if (options.chapterTitlesFromToc && reader.AvoidsIndexes())
                chapterTitles.emplace(ChapterTitles::ForAll(reader));
            SharedProgress shared(progress);
            for (const std::string& id : volumeIds) {
                if (progress.StopRequested())
                    break;
                AnnotatedVolume volume;
                try {
                    volume = ReadAnnotatedVolume(reader, m_index, id, options,
                                                 chapterTitles ? &*chapterTitles : nullptr, shared);
                } catch (const ESQLiteException& error) {
                    if (error.IsCorrupt())
                        throw;
                    // One book that cannot be read keeps none of the others from being read.
                    receiver.Unread(id, error.what());
                    continue;
                }
                volume.sources.push_back(Facts());
                receiver.Take(id, std::move(volume));
            }
        },
        &m_kept);
}
