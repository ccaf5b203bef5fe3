#pragma once

#include "ReadingStatistics.h"

#include <string>
#include <vector>

class ReaderConnection;

// One highlight or note of the Bookmark table, for counting.
struct HighlightRow {
    std::string bookmarkId;
    std::string volumeId;
    std::optional<ReaderTime> created;
    bool deleted = false;
};

// The rows one database holds for the statistics. Each reading below leaves out, and counts in skipped, what it
// cannot use; a table or column the firmware lacks reads as no rows or empty values.
struct StatisticsRows {
    std::vector<BookReading> books; // every content row of a book file, sessions not yet added
    std::vector<ReadingSession> sessions;
    std::vector<HighlightRow> highlights;
    SkippedRows skipped;
};

std::vector<BookReading> ReadBookRows(ReaderConnection& reader, SkippedRows& skipped);
std::vector<ReadingSession> ReadSessionRows(ReaderConnection& reader, SkippedRows& skipped);
std::vector<HighlightRow> ReadHighlightRows(ReaderConnection& reader, SkippedRows& skipped);
// How many Event rows carry an ExtraData blob: those are left undecoded here (docs/statistics.md says why).
std::size_t CountEventBlobs(ReaderConnection& reader);

StatisticsRows ReadStatisticsRows(ReaderConnection& reader);
