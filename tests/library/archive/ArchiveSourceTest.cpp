// The archive read as a source: every highlight ever seen in the reading order of the reader's own database, the gone
// ones marked (a highlight hidden on the device among them), --live-only without them, and statistics from the
// archive's sessions equal to those of the database with its backups.
#include "ArchiveSource.h"
#include "ArchiveAdd.h"
#include "ArchiveReading.h"
#include "ArchiveTime.h"
#include "ReaderDatabase.h"
#include "ReaderLibrary.h"
#include "RecordingProgress.h"
#include "StatisticsReading.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";
const std::string kOne = kBook + "#(1)one.html", kTwo = kBook + "#(2)two.html";
const std::string kQuietBook = "file:///mnt/onboard/Quiet.epub"; // read, never highlighted

std::string Time(int day) {
    return ArchiveTimeText(std::chrono::system_clock::time_point(
        std::chrono::sys_days(std::chrono::year(2024) / std::chrono::November / day)));
}

struct Read {
    std::string id, chapter, position;
    int depth = 0;
    bool gone = false;
    std::string lastSeen;
    bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Read& read) {
    return out << read.id << " (" << read.chapter << ", depth " << read.depth << ", " << read.position << " %"
               << (read.gone ? ", gone, last seen " + read.lastSeen : std::string()) << ")";
}

std::vector<Read> Bookmarks(const AnnotatedVolume& volume) {
    std::vector<Read> read;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks)
        read.push_back({std::string(bookmark.bookmarkId), volume.PartOf(bookmark).Heading(),
                        volume.PositionText(bookmark), volume.PartOf(bookmark).depth, bookmark.gone,
                        std::string(bookmark.lastSeen)});
    return read;
}

class ArchiveSourceTest : public ::testing::Test {
protected:
    // Two chapters; the highlights stored in another order than the book's.
    void Fill(fixture::ReaderDatabase& db, bool withH4) {
        db.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
        db.AddBook({.volumeId = kQuietBook, .title = "Quiet", .author = "Bo Lind"});
        db.AddPart({.contentId = kOne, .bookId = kBook, .title = "One", .volumeIndex = 1, .depth = 1});
        db.AddPart({.contentId = kTwo, .bookId = kBook, .title = "Two", .volumeIndex = 2, .depth = 2});
        db.Exec("UPDATE content SET ___FileOffset = 0, ___FileSize = 40 WHERE ContentID = '" + kOne + "'");
        db.Exec("UPDATE content SET ___FileOffset = 40, ___FileSize = 60 WHERE ContentID = '" + kTwo + "'");
        Highlight(db, "h1", kTwo, "span#kobo.3.1", "Ice.", "cold");
        Highlight(db, "h2", kOne, "span#kobo.5.1", "Snow.");
        Highlight(db, "h3", kOne, "span#kobo.2.1", "Wind.");
        if (withH4)
            Highlight(db, "h4", kTwo, "span#kobo.1.1", "Sea.");
        db.AddAnalyticsTables();
        db.SetReading(kQuietBook, {.timeSpentReading = std::int64_t{600}, .readStatus = std::int64_t{1}});
    }

    static void Highlight(fixture::ReaderDatabase& db, const std::string& id, const std::string& part,
                          const std::string& place, const std::string& text, fixture::OptionalText note = {}) {
        db.AddBookmark({.bookmarkId = id,
                        .volumeId = kBook,
                        .contentId = part,
                        .startContainerPath = place,
                        .text = text,
                        .annotation = note});
    }

    // The reader on day 1, and on day 5: h2 deleted (or only hidden on the device), h1's note edited, h4 added; the
    // sessions of day 1 synced away but for a new one.
    void AddBothStates(bool hideInsteadOfDelete = false) {
        {
            fixture::ReaderDatabase db(m_first);
            Fill(db, false);
            db.AddSession({.id = "s1",
                           .timestamp = "2024-11-01T10:00:00Z",
                           .title = "Winter Voyage",
                           .author = "Ann Berg",
                           .secondsRead = 60});
            db.AddSession({.id = "s2",
                           .timestamp = "2024-11-02T10:00:00Z",
                           .title = "Quiet",
                           .author = "Bo Lind",
                           .secondsRead = 90});
        }
        fs::copy_file(m_first, m_second);
        {
            fixture::ReaderDatabase db(m_second, fixture::ReaderDatabase::Existing);
            db.Exec(hideInsteadOfDelete ? "UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'h2'"
                                        : "DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
            db.Exec("UPDATE Bookmark SET Annotation = 'colder' WHERE BookmarkID = 'h1'");
            Highlight(db, "h4", kTwo, "span#kobo.1.1", "Sea.");
            db.Exec("DELETE FROM AnalyticsEvents");
            db.AddSession({.id = "s3",
                           .timestamp = "2024-11-05T10:00:00Z",
                           .title = "Winter Voyage",
                           .author = "Ann Berg",
                           .secondsRead = 30});
        }
        const ArchiveAddOutcome outcome =
            AddToArchive(m_archive, {{m_first, {{m_first, Time(1)}}}, {m_second, {{m_second, Time(5)}}}}, m_progress);
        ASSERT_TRUE(outcome.failed.empty()) << outcome.failed.front().second;
    }

    AnnotatedVolume FromArchive(bool liveOnly) {
        const ArchiveSource source(std::make_shared<ArchiveReading>(m_archive, liveOnly, m_progress), m_progress,
                                   m_order);
        EXPECT_TRUE(source.HasBookmarks(kBook));
        EXPECT_EQ(source.Facts().kind, SourceKind::Archive);
        return source.ReadVolume(kBook, {.wholeRecords = true}, m_progress).value();
    }

    TempFolder m_work;
    fs::path m_first = m_work / "first.sqlite", m_second = m_work / "second.sqlite";
    fs::path m_archive = m_work / "archive.sqlite";
    fixture::RecordingProgress m_progress;
    const TextOrder m_order{"en_US"};
};

TEST_F(ArchiveSourceTest, EveryHighlightEverSeenInTheReadersOrderTheLostOneGone) {
    AddBothStates();
    // The reader's own reading of a database that holds all four.
    const fs::path all = m_work / "all.sqlite";
    {
        fixture::ReaderDatabase db(all);
        Fill(db, true);
    }
    ReaderLibrary library(m_order);
    ASSERT_EQ(library.LoadDatabase(all, m_progress).kind, LoadOutcome::Kind::Loaded);
    std::vector<Read> expected = Bookmarks(library.ReadVolume(kBook, {.wholeRecords = true}, m_progress).value());
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_NE(expected.front().id, "h1") << "the stored order is not the reading order";
    for (Read& read : expected)
        if (read.id == "h2")
            read.gone = true, read.lastSeen = Time(1);

    const AnnotatedVolume volume = FromArchive(false);
    EXPECT_TRUE(volume.fromArchive);
    EXPECT_EQ(volume.title, "Winter Voyage");
    EXPECT_EQ(volume.author, "Ann Berg");
    std::vector<Read> read = Bookmarks(volume);
    for (Read& each : read)
        if (!each.gone) {
            EXPECT_EQ(each.lastSeen, Time(5)) << each; // the newest state that showed it
            each.lastSeen.clear();
        }
    EXPECT_EQ(read, expected);
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        if (bookmark.bookmarkId == "h1") {
            EXPECT_EQ(bookmark.annotation, "colder");
        }
    }

    const AnnotatedVolume live = FromArchive(true);
    std::vector<std::string> ids;
    for (const Read& each : Bookmarks(live))
        ids.push_back(each.id);
    std::erase_if(expected, [](const Read& each) { return each.gone; });
    ASSERT_EQ(ids.size(), 3u);
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(ids[i], expected[i].id);
}

TEST_F(ArchiveSourceTest, AHighlightDeletedOnTheDeviceIsGoneAndStillRead) {
    AddBothStates(true);
    const AnnotatedVolume volume = FromArchive(false);
    ASSERT_EQ(volume.bookmarks.size(), 4u);
    for (const AnnotatedBookmark& bookmark : volume.bookmarks)
        EXPECT_EQ(bookmark.gone, bookmark.bookmarkId == "h2") << bookmark.bookmarkId;
    EXPECT_EQ(FromArchive(true).bookmarks.size(), 3u);
}

TEST_F(ArchiveSourceTest, StatisticsFromTheArchiveEqualThoseOfTheDatabaseWithItsBackups) {
    AddBothStates();
    const ReadingStatistics direct = ReadReadingStatistics(m_second, {m_first}, m_progress).value();
    const ArchiveReading reading(m_archive, false, m_progress);
    const ReadingStatistics archived = ReadReadingStatistics(reading.Path(), {}, m_progress).value();

    ASSERT_EQ(archived.books.size(), direct.books.size());
    ASSERT_EQ(direct.books.size(), 2u);
    for (std::size_t i = 0; i < direct.books.size(); ++i) {
        const BookReading &a = archived.books[i], &d = direct.books[i];
        EXPECT_EQ(a.volumeId, d.volumeId);
        EXPECT_EQ(a.title, d.title);
        EXPECT_EQ(a.timeSpentReading, d.timeSpentReading);
        EXPECT_EQ(a.readStatus, d.readStatus);
        EXPECT_EQ(a.sessions, d.sessions) << a.volumeId;
        EXPECT_EQ(a.sessionSeconds, d.sessionSeconds) << a.volumeId;
        EXPECT_EQ(a.highlights, d.highlights) << a.volumeId;
    }
    ASSERT_EQ(archived.sessions.size(), 3u);
    ASSERT_EQ(direct.sessions.size(), 3u);
    for (std::size_t i = 0; i < direct.sessions.size(); ++i) {
        EXPECT_EQ(archived.sessions[i].id, direct.sessions[i].id);
        EXPECT_EQ(archived.sessions[i].volumeId, direct.sessions[i].volumeId);
    }
    EXPECT_EQ(archived.Days().size(), direct.Days().size());
}

} // namespace
