#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Instants are whole seconds since the epoch, UTC; the reader writes its dates in UTC.
using ReaderTime = std::int64_t;

// Figures past these are no reading anyone did (a damaged row, a clock gone wrong): a session of more than a day, or
// with more pages turned than a day has seconds, is left out; a book's own total of more than ten years is unknown.
constexpr std::int64_t kLongestSession = 24 * 60 * 60;
constexpr std::int64_t kLongestReading = std::int64_t{10} * 366 * 24 * 60 * 60;

// a + b, held at the largest figure instead of wrapping past it.
std::int64_t AddHeld(std::int64_t a, std::int64_t b);

// One book as the reader recorded it (its content row, ContentType 6), with what its reading sessions and highlights
// add. Optional facts are absent where the firmware has no such column or the row leaves it empty.
struct BookReading {
    std::string volumeId; // ContentID
    std::string title;
    std::string author;
    std::string isbn;                             // the id a session's attributes name the book by
    std::optional<std::int64_t> timeSpentReading; // seconds, the reader's own running total
    std::optional<int> percentRead;
    std::optional<int> readStatus; // 0 unread, 1 reading, 2 finished
    std::optional<ReaderTime> dateLastRead;
    std::optional<std::int64_t> timesStartedReading;
    std::optional<ReaderTime> lastTimeStartedReading;
    std::optional<ReaderTime> lastTimeFinishedReading;
    std::optional<std::int64_t> restOfBookEstimate; // the reader's estimate of what is left, as stored

    // From the sessions matched to the book, each counted once.
    std::size_t sessions = 0;
    std::int64_t sessionSeconds = 0;
    std::int64_t pagesTurned = 0;
    std::optional<ReaderTime> firstSession;
    std::optional<ReaderTime> lastSession;
    // Highlights and notes the reader still shows (not deleted), dog-ears left out.
    std::size_t highlights = 0;

    // The reader's total, or the sessions' sum where that is more: the total leaves out PDFs, and the sessions
    // miss what was synced away before any backup held it.
    std::int64_t TimeRead() const;
    // The first session found, else the last start the reader recorded.
    std::optional<ReaderTime> FirstRead() const;
    // The later of the reader's DateLastRead and the last session found.
    std::optional<ReaderTime> LastRead() const;
    // When the book was finished: LastTimeFinishedReading, else DateLastRead of a finished book; absent otherwise.
    std::optional<ReaderTime> Finished() const;
    bool IsFinished() const { return readStatus == 2; }
};

// One reading session: an AnalyticsEvents row of Type 'LeaveContent', written when the reader leaves a book.
struct ReadingSession {
    std::string id;   // the row's Id, the same in every backup that holds it
    ReaderTime ended; // the row's Timestamp
    std::string title;
    std::string author;
    std::string bookId;   // the attributes' volumeid, else isbn
    std::string volumeId; // of the book it was matched to; empty when none was found
    std::int64_t secondsRead = 0;
    std::int64_t pagesTurned = 0;
    std::int64_t idleTime = 0;
};

// What was left out, by reason; none of it stops the reading of the rest.
struct SkippedRows {
    std::size_t sessionsWithoutMetrics = 0;   // Metrics empty or without a SecondsRead
    std::size_t unparseableJson = 0;          // Metrics or Attributes that are no JSON object
    std::size_t oddDates = 0;                 // dates in no form read here
    std::size_t oddFigures = 0;               // past any real reading (kLongestSession, kLongestReading)
    std::size_t unmatchedSessions = 0;        // counted in the days, but in no book
    std::size_t repeatedSessions = 0;         // found again in another database: counted once
    std::size_t databasesWithoutSessions = 0; // no AnalyticsEvents table (older firmware)
    std::size_t unreadableDatabases = 0;      // backups that could not be read
    std::size_t undecodedEventBlobs = 0;      // Event rows whose ExtraData is left undecoded
};

// Reading on one local calendar day, by the sessions that ended on it.
struct DayReading {
    std::string date; // YYYY-MM-DD, local time
    std::int64_t seconds = 0;
    std::size_t sessions = 0;
    std::size_t books = 0;
};

struct ReadingStatistics {
    std::vector<BookReading> books;         // books with any reading or highlight, last read first
    std::vector<ReadingSession> sessions;   // each once, oldest first
    std::vector<ReaderTime> highlightTimes; // creation of each highlight that has a date, oldest first
    SkippedRows skipped;
    std::size_t databases = 0; // read, backups included

    std::vector<DayReading> Days() const;
};
