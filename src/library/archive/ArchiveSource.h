#pragma once

#include "AnnotationSource.h"
#include "ArchiveReading.h"
#include "KeptConnection.h"
#include "TextOrder.h"

#include <memory>

// The archive as a source of highlights: every book and bookmark it keeps, read as a reader's database is read (the
// same reading order, parts, titles and depths), each bookmark with its gone mark and when its reader last showed it.
// A bookmark the reader deleted (kept hidden) is gone like one the reader lost: it is always read, whatever the
// options say of deleted highlights.
class ArchiveSource : public AnnotationSource {
public:
    // Reads the index of the archive's reading.
    ArchiveSource(std::shared_ptr<const ArchiveReading> reading, ProgressReporter& progress,
                  const TextOrder& order = TextOrder::ForUserLocale());

    const LibraryIndex& Index() const override { return m_index; }
    bool HasBookmarks(const std::string& volumeId) const override;
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override;
    // The archive's file; its bookmarks come from any of the readers it keeps.
    SourceFacts Facts() const override { return {SourceKind::Archive, m_reading->Archive(), {}}; }

private:
    std::shared_ptr<const ArchiveReading> m_reading;
    LibraryIndex m_index;
    mutable KeptConnection m_kept;
};

// The options a reading of the archive uses: the deleted highlights are never skipped, since they are the gone ones.
ReadingOptions ArchiveReadingOptions(ReadingOptions options);
