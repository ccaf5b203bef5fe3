#pragma once

#include "ReaderSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TSQLiteDatabase;

// What one database brought into the archive.
struct MergeCounts {
    std::size_t newHighlights = 0;
    std::size_t changedHighlights = 0; // text, note or colour
    std::size_t goneHighlights = 0;    // newly gone from the reader
    std::size_t backHighlights = 0;    // shown again by the reader's newest state
    std::size_t otherUpdates = 0;      // other columns of a highlight or book, and dates of older states
    std::size_t newSessions = 0;

    bool AnythingNew() const {
        return newHighlights + changedHighlights + goneHighlights + backHighlights + otherUpdates + newSessions > 0;
    }
    MergeCounts& operator+=(const MergeCounts& other);
};

// Merges the rows of one state of a reader (at stateTime) into the archive as they are read, inside the caller's
// transaction and before that state is recorded among the databases. Gone is decided by the reader's newest state: a
// highlight that the newest state lacks or hides is gone since the first state after the last one that showed it; an
// older state added later moves the dates, and never brings a gone highlight back. Writes nothing that stays the same,
// and holds no more than the ids of the bookmarks read.
class ArchiveMerge : public SnapshotSink {
public:
    ArchiveMerge(TSQLiteDatabase& archive, std::int64_t reader, const std::string& stateTime);
    ~ArchiveMerge() override;

    void Bookmark(const SnapshotBookmark& bookmark) override;
    void EndOfBookmarks() override;
    void Content(const SnapshotContent& content) override;
    void Session(const SnapshotSession& session) override;

    const MergeCounts& Counts() const;

private:
    class Work;
    std::unique_ptr<Work> m_work;
};
