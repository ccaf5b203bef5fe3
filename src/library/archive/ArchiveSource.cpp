#include "ArchiveSource.h"

#include "ReaderConnection.h"
#include "VolumeReader.h"

ReadingOptions ArchiveReadingOptions(ReadingOptions options) {
    options.skipDeletedHighlights = false;
    return options;
}

ArchiveSource::ArchiveSource(std::shared_ptr<const ArchiveReading> reading, ProgressReporter& progress,
                             const TextOrder& order)
    : m_reading(std::move(reading)), m_index(order) {
    ReadReaderDatabase(
        m_reading->Path(), "the list of books", progress,
        [&](ReaderConnection& reader) { ReadLibraryIndex(reader, m_index, ArchiveReadingOptions({})); }, &m_kept);
    progress.SetStatus("");
}

bool ArchiveSource::HasBookmarks(const std::string& volumeId) const {
    // Every bookmark lists its volume: none is skipped as deleted.
    return m_index.Volumes.Contains(volumeId);
}

std::optional<AnnotatedVolume> ArchiveSource::ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                                         ProgressReporter& progress) const {
    std::optional<AnnotatedVolume> volume =
        ReadAnnotatedVolume(m_reading->Path(), m_index, volumeId, ArchiveReadingOptions(options), progress, &m_kept);
    if (volume)
        volume->sources.push_back(Facts());
    progress.ResetProgress();
    progress.SetStatus("");
    return volume;
}
