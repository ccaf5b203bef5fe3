// Reading statistics from real reader-shaped files: the reader's own figures per book, its sessions counted once
// across backups, and rows that older or other firmware writes differently skipped and counted.
#include "ReaderDatabase.h"
#include "ReaderTime.h"
#include "StatisticsReading.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

namespace {

namespace fs = std::filesystem;

// Shapes and figures from a real database of firmware 4.38: the reader's TimeSpentReading of a book equals the sum
// of its sessions' SecondsRead.
const std::string kSozler = "file:///mnt/onboard/Nursi/Sozler.epub";
const std::string kUlke = "file:///mnt/onboard/download11727epub11727.epub";
const std::string kPdf = "file:///mnt/onboard/Unknown/Hayaller.pdf";

void AddLibrary(fixture::ReaderDatabase& db) {
    db.AddBook({.volumeId = kSozler, .title = "S\xC3\xB6zler", .author = "Said Nursi"});
    db.AddBook({.volumeId = kUlke, .title = "Bu \xC3\x9Clke", .author = "Cemil Meri\xC3\xA7"});
    db.AddBook({.volumeId = kPdf, .title = "Hayaller", .author = "Unknown"});
    db.AddBook({.volumeId = "file:///mnt/onboard/unread.epub", .title = "Unread", .author = "Nobody"});
    db.SetReading(kSozler, {.timeSpentReading = 263,
                            .percentRead = 0,
                            .readStatus = 1,
                            .dateLastRead = "2024-11-14T06:14:34Z",
                            .isbn = "FEDE3A65-8A96"});
    db.SetReading(kUlke, {.timeSpentReading = 175,
                          .percentRead = 100,
                          .readStatus = 2,
                          .dateLastRead = "2024-11-15T03:47:38Z",
                          .isbn = "4f974fe8-e32a"});
    // The reader adds no time to a PDF's TimeSpentReading, but writes its sessions.
    db.SetReading(kPdf,
                  {.timeSpentReading = 0, .percentRead = 6, .readStatus = 1, .dateLastRead = "2024-11-18T17:45:32Z"});
    db.AddAnalyticsTables();
}

void AddSessions(fixture::ReaderDatabase& db) {
    const auto sozler = [&](std::string id, std::string time, int seconds, int pages) {
        db.AddSession({.id = id,
                       .timestamp = time,
                       .title = "S\xC3\xB6zler",
                       .author = "Said Nursi",
                       .isbn = "FEDE3A65-8A96",
                       .secondsRead = seconds,
                       .pagesTurned = pages});
    };
    sozler("s1", "2024-11-13T13:17:53Z", 37, 16);
    sozler("s2", "2024-11-13T13:18:32Z", 22, 12);
    sozler("s3", "2024-11-13T13:42:46Z", 65, 17);
    sozler("s4", "2024-11-13T13:51:09Z", 74, 6);
    sozler("s5", "2024-11-14T06:14:34Z", 65, 2);
    // Named by title and author alone.
    db.AddSession({.id = "u1",
                   .timestamp = "2024-11-15T03:47:38Z",
                   .title = "Bu \xC3\x9Clke",
                   .author = "Cemil Meri\xC3\xA7",
                   .secondsRead = 175,
                   .pagesTurned = 4});
    db.AddSession(
        {.id = "p1", .timestamp = "2024-11-18T17:45:32Z", .title = "Hayaller", .author = "Unknown", .secondsRead = 46});
}

class ReadingStatisticsTest : public ::testing::Test {
protected:
    ReadingStatistics Read(const fs::path& database, const std::vector<fs::path>& backups = {}) {
        SilentProgress silent;
        std::optional<ReadingStatistics> statistics = ReadReadingStatistics(database, backups, silent);
        if (!statistics)
            throw std::runtime_error("no database");
        return *statistics;
    }
    static const BookReading& Book(const ReadingStatistics& statistics, const std::string& volumeId) {
        for (const BookReading& book : statistics.books)
            if (book.volumeId == volumeId)
                return book;
        throw std::runtime_error("no book " + volumeId);
    }

    TempFolder m_folder;
};

TEST_F(ReadingStatisticsTest, BooksCarryTheReadersFiguresAndTheirSessions) {
    fixture::ReaderDatabase db(m_folder / "KoboReader.sqlite");
    AddLibrary(db);
    AddSessions(db);
    db.AddBookmark({.bookmarkId = "h1", .volumeId = kUlke, .contentId = kUlke + "#1", .text = "A line."});
    db.AddBookmark({.bookmarkId = "h2",
                    .volumeId = kUlke,
                    .contentId = kUlke + "#1",
                    .text = "Gone.",
                    .hidden = std::string("true")});
    db.Exec("UPDATE Bookmark SET DateCreated = '2024-11-15T03:45:46.000'");
    db.Close();

    const ReadingStatistics statistics = Read(db.Path());
    ASSERT_EQ(statistics.books.size(), 3u);             // the unread book has nothing to tell
    EXPECT_EQ(statistics.books.front().volumeId, kPdf); // last read first

    const BookReading& sozler = Book(statistics, kSozler);
    EXPECT_EQ(sozler.sessions, 5u);
    EXPECT_EQ(sozler.sessionSeconds, 263);
    EXPECT_EQ(sozler.TimeRead(), 263);
    EXPECT_EQ(sozler.pagesTurned, 53);
    EXPECT_EQ(FormatUtc(*sozler.FirstRead()), "2024-11-13T13:17:53Z");
    EXPECT_EQ(FormatUtc(*sozler.LastRead()), "2024-11-14T06:14:34Z");
    EXPECT_FALSE(sozler.Finished());

    const BookReading& ulke = Book(statistics, kUlke);
    EXPECT_EQ(ulke.sessions, 1u);
    EXPECT_EQ(ulke.highlights, 1u); // the deleted one left out
    EXPECT_EQ(FormatUtc(*ulke.Finished()), "2024-11-15T03:47:38Z");
    EXPECT_EQ(Book(statistics, kPdf).TimeRead(), 46); // the sessions tell what the total leaves out

    const std::vector<DayReading> days = statistics.Days();
    ASSERT_EQ(days.size(), 4u);
    EXPECT_EQ(days[0].date, "2024-11-13");
    EXPECT_EQ(days[0].seconds, 198);
    EXPECT_EQ(days[0].sessions, 4u);
    EXPECT_EQ(days[0].books, 1u);
    EXPECT_EQ(statistics.highlightTimes.size(), 1u);
    EXPECT_EQ(statistics.skipped.unmatchedSessions, 0u);
}

TEST_F(ReadingStatisticsTest, SessionsInSeveralBackupsCountOnceAndTheNewestFactsWin) {
    // The reader empties AnalyticsEvents when it syncs: each backup holds a stretch of the history, and stretches
    // overlap when no sync came between two backups.
    const fs::path backups = m_folder / "backups";
    fs::create_directory(backups);
    fixture::ReaderDatabase older(backups / "KoboReader-2024-11-14-080000.sqlite");
    AddLibrary(older);
    AddSessions(older);
    older.SetReading(
        kSozler,
        {.timeSpentReading = 200, .readStatus = 1, .dateLastRead = "2024-11-13T13:51:09Z", .isbn = "FEDE3A65-8A96"});
    older.Close();
    fixture::ReaderDatabase newer(backups / "KoboReader-2024-11-16-080000.sqlite");
    AddLibrary(newer);
    newer.AddSession({.id = "s5",
                      .timestamp = "2024-11-14T06:14:34Z",
                      .title = "S\xC3\xB6zler",
                      .author = "Said Nursi",
                      .isbn = "FEDE3A65-8A96",
                      .secondsRead = 65,
                      .pagesTurned = 2});
    newer.Close();
    fixture::ReaderDatabase current(m_folder / "KoboReader.sqlite");
    AddLibrary(current);
    current.AddSession({.id = "s6",
                        .timestamp = "2024-11-16T15:42:25Z",
                        .title = "S\xC3\xB6zler",
                        .author = "Said Nursi",
                        .isbn = "FEDE3A65-8A96",
                        .secondsRead = 120});
    current.SetReading(
        kSozler,
        {.timeSpentReading = 383, .readStatus = 1, .dateLastRead = "2024-11-16T15:42:25Z", .isbn = "FEDE3A65-8A96"});
    current.Close();

    const auto before = std::distance(fs::directory_iterator(backups), fs::directory_iterator());
    const ReadingStatistics statistics = Read(current.Path(), {older.Path(), newer.Path(), current.Path()});
    EXPECT_EQ(statistics.databases, 3u);
    EXPECT_EQ(statistics.sessions.size(), 8u);
    EXPECT_EQ(statistics.skipped.repeatedSessions, 1u);
    const BookReading& sozler = Book(statistics, kSozler);
    EXPECT_EQ(sozler.sessions, 6u);
    EXPECT_EQ(sozler.sessionSeconds, 383);
    EXPECT_EQ(sozler.timeSpentReading, 383); // from the loaded database, not the older backup
    EXPECT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), before);
}

TEST_F(ReadingStatisticsTest, RowsThatCannotBeUsedAreSkippedAndCounted) {
    fixture::ReaderDatabase db(m_folder / "KoboReader.sqlite");
    AddLibrary(db);
    AddSessions(db);
    // A session of a book deleted since: it still counts in its day.
    db.AddSession({.id = "d1",
                   .timestamp = "2024-11-13T20:00:00Z",
                   .title = "Deleted",
                   .author = "Someone",
                   .isbn = "gone",
                   .secondsRead = 30});
    db.AddSession({.id = "e1", .timestamp = "2024-11-13T20:01:00Z", .metrics = "{}"});
    db.AddSession({.id = "e2", .timestamp = "2024-11-13T20:02:00Z", .metrics = ""});
    db.AddSession({.id = "j1", .timestamp = "2024-11-13T20:03:00Z", .metrics = "{\"SecondsRead\": 1"});
    db.AddSession({.id = "j2",
                   .timestamp = "2024-11-13T20:04:00Z",
                   .title = "Bu \xC3\x9Clke",
                   .secondsRead = 10,
                   .attributes = "not json"});
    db.AddSession({.id = "t1", .timestamp = "yesterday", .title = "Bu \xC3\x9Clke", .secondsRead = 10});
    db.Exec("UPDATE content SET LastTimeFinishedReading = '13/11/2024' WHERE ContentID = '" + kUlke + "'");
    db.Exec("INSERT INTO Event (EventType, ContentID, EventCount, ExtraData) VALUES "
            "(1021, '" +
            kSozler + "', 5, X'0000000100000020'), (46, '" + kSozler + "', 0, X'')");
    db.Close();

    const ReadingStatistics statistics = Read(db.Path());
    const SkippedRows& skipped = statistics.skipped;
    EXPECT_EQ(skipped.sessionsWithoutMetrics, 2u);
    EXPECT_EQ(skipped.unparseableJson, 2u);
    EXPECT_EQ(skipped.oddDates, 2u);          // the session's time and the finishing date
    EXPECT_EQ(skipped.unmatchedSessions, 2u); // the deleted book's and the one without attributes
    EXPECT_EQ(skipped.undecodedEventBlobs, 1u);
    EXPECT_EQ(statistics.sessions.size(), 9u);
    EXPECT_EQ(Book(statistics, kSozler).sessions, 5u);
    EXPECT_EQ(FormatUtc(*Book(statistics, kUlke).Finished()), "2024-11-15T03:47:38Z"); // DateLastRead instead
    EXPECT_EQ(statistics.Days()[0].seconds, 198 + 30 + 10);
}

TEST_F(ReadingStatisticsTest, AnOldDatabaseWithoutTheTablesAndAnUnreadableBackupAreNoError) {
    // Firmware of before the reading columns: content as it was, and neither AnalyticsEvents nor Event.
    fixture::ReaderDatabase old(m_folder / "old.sqlite");
    old.Exec("CREATE TABLE content_old AS SELECT ContentID, ContentType, MimeType, BookID, BookTitle, Title, "
             "Attribution, ___UserID FROM content; DROP TABLE content; ALTER TABLE content_old RENAME TO content;");
    old.AddBook({.volumeId = kUlke, .title = "Bu \xC3\x9Clke", .author = "Cemil"});
    old.AddBookmark({.bookmarkId = "h1", .volumeId = kUlke, .contentId = kUlke + "#1", .text = "A line."});
    old.Close();
    const fs::path broken = m_folder / "KoboReader-2024-01-01-000000.sqlite";
    std::ofstream(broken) << "not a database";

    const ReadingStatistics statistics = Read(old.Path(), {broken});
    EXPECT_EQ(statistics.skipped.databasesWithoutSessions, 1u);
    EXPECT_EQ(statistics.skipped.unreadableDatabases, 1u);
    ASSERT_EQ(statistics.books.size(), 1u);
    EXPECT_EQ(statistics.books[0].highlights, 1u);
    EXPECT_FALSE(statistics.books[0].timeSpentReading);
    EXPECT_FALSE(statistics.books[0].readStatus);
}

TEST_F(ReadingStatisticsTest, FiguresPastAnyRealReadingAreLeftOutAndCounted) {
    fixture::ReaderDatabase db(m_folder / "KoboReader.sqlite");
    AddLibrary(db);
    AddSessions(db);
    // Two sessions whose seconds would wrap any sum, one with as many pages; a book's own total just as odd.
    for (const char* id : {"x1", "x2"})
        db.AddSession({.id = id,
                       .timestamp = "2024-11-13T21:00:00Z",
                       .title = "S\xC3\xB6zler",
                       .author = "Said Nursi",
                       .secondsRead = 9'000'000'000'000'000'000});
    db.AddSession({.id = "x3",
                   .timestamp = "2024-11-13T21:00:00Z",
                   .title = "S\xC3\xB6zler",
                   .author = "Said Nursi",
                   .secondsRead = 60,
                   .pagesTurned = 9'000'000'000'000'000'000});
    db.SetReading(kUlke, {.timeSpentReading = 9'000'000'000'000'000'000, .readStatus = 2});
    db.Close();

    const ReadingStatistics statistics = Read(db.Path());
    EXPECT_EQ(statistics.skipped.oddFigures, 4u);
    EXPECT_EQ(Book(statistics, kSozler).sessionSeconds, 263);
    EXPECT_EQ(Book(statistics, kSozler).pagesTurned, 53);
    EXPECT_FALSE(Book(statistics, kUlke).timeSpentReading);
    EXPECT_EQ(Book(statistics, kUlke).TimeRead(), 175); // its sessions
    EXPECT_EQ(AddHeld(std::numeric_limits<std::int64_t>::max(), 1), std::numeric_limits<std::int64_t>::max());
}

TEST_F(ReadingStatisticsTest, AViewInATablesPlaceOrABackupPastItsTimeIsLeftOut) {
    // A view that never ends, in place of the sessions and events: in the database and in a backup.
    const std::string endless = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT ";
    fixture::ReaderDatabase db(m_folder / "KoboReader.sqlite");
    AddLibrary(db);
    db.Exec("DROP TABLE AnalyticsEvents; DROP TABLE Event;");
    db.Exec("CREATE VIEW AnalyticsEvents AS " + endless +
            "i AS Id, 'LeaveContent' AS Type, '2024-11-13T13:17:53Z' AS Timestamp, '{\"SecondsRead\": 5}' AS Metrics, "
            "'{}' AS Attributes FROM n");
    db.Exec("CREATE VIEW Event AS " + endless + "x'00' AS ExtraData FROM n");
    db.Close();
    fixture::ReaderDatabase backup(m_folder / "KoboReader-2024-11-01-000000.sqlite");
    AddLibrary(backup);
    AddSessions(backup);
    backup.Close();

    const ReadingStatistics statistics = Read(db.Path());
    EXPECT_EQ(statistics.sessions.size(), 0u);
    EXPECT_EQ(statistics.skipped.databasesWithoutSessions, 1u);

    // A backup whose reading takes longer than its budget is left out, said so; the database itself is read.
    struct Warnings : SilentProgress {
        void Warn(const std::string& text) override { said.push_back(text); }
        std::vector<std::string> said;
    } warnings;
    const std::optional<ReadingStatistics> spent =
        ReadReadingStatistics(db.Path(), {backup.Path()}, warnings, std::chrono::milliseconds(0));
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->skipped.unreadableDatabases, 1u);
    EXPECT_EQ(spent->sessions.size(), 0u);
    ASSERT_EQ(warnings.said.size(), 1u);
    EXPECT_EQ(warnings.said[0], "backup left out: " + backup.Path().string() + ": not read within 0 s");
    EXPECT_EQ(Read(db.Path(), {backup.Path()}).sessions.size(), 7u) << "within the budget, the backup counts";
}

TEST(ReaderTimeTest, TheFormsTheReaderWritesAreRead) {
    EXPECT_EQ(ParseReaderTime("2024-11-13T20:29:51Z"), 1731529791);
    EXPECT_EQ(ParseReaderTime("2024-11-13T20:29:51.000"), 1731529791);
    EXPECT_EQ(ParseReaderTime("2024-11-13 21:29:51.000+01:00"), 1731529791);
    EXPECT_EQ(ParseReaderTime("2024-11-13"), 1731456000);
    EXPECT_EQ(ParseReaderTime("2024-02-29"), 1709164800);
    // A day its month lacks is no later day; a year whose days, in some time zone, would not have four digits.
    for (const char* odd : {"13/11/2024", "2024-13-01T00:00:00Z", "2024-11-13T20:29", "2024-11-13T20:29:51 UTC",
                            "2024-02-31", "2023-02-29", "2024-04-31T10:00:00Z", "0000-01-01T00:00:00+01:00",
                            "0001-01-01", "9999-12-31T23:59:59-01:00", "9999-12-31"})
        EXPECT_FALSE(ParseReaderTime(odd)) << odd;
    EXPECT_TRUE(IsEmptyReaderTime("0000-00-00T00:00:00.000"));
}

} // namespace
