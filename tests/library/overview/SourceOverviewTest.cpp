// The overview of any source: other readers' files and a Kobo database as one library, and the archive with the
// highlights its reader lost marked gone.
#include "SourceOverview.h"
#include "ArchiveAdd.h"
#include "ArchiveReading.h"
#include "ArchiveSource.h"
#include "ArchiveTime.h"
#include "HighlightSearch.h"
#include "LoadedLibrary.h"
#include "ReaderDatabase.h"
#include "ScopedEnvironment.h"
#include "TempFolder.h"
#include "sources/SourceFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";
const std::string kPart = kBook + "#(1)one.html";

void FillKobo(fixture::ReaderDatabase& db) {
    db.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
    db.AddPart({.contentId = kPart, .bookId = kBook, .bookTitle = "Winter Voyage", .title = "One", .volumeIndex = 1});
    db.AddBookmark({.bookmarkId = "h1", .volumeId = kBook, .contentId = kPart, .text = "Ice."});
    db.AddBookmark({.bookmarkId = "h2", .volumeId = kBook, .contentId = kPart, .text = "Snow.", .annotation = "cold"});
}

std::set<std::string> SourcesOf(const LibraryOverview& overview) {
    std::set<std::string> sources;
    for (const OverviewHighlight& highlight : overview.highlights)
        sources.emplace(highlight.source);
    return sources;
}

TEST(SourceOverviewTest, OtherReadersFilesAndAKoboDatabaseAreOneLibraryWithTheDatabasesOwnActions) {
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    TempFolder work;
    const fs::path database = work / "KoboReader.sqlite";
    {
        fixture::ReaderDatabase db(database);
        FillKobo(db);
    }
    SilentProgress silent;
    const std::shared_ptr<LoadedLibrary> library = LoadedLibrary::OpenPaths(
        {fixture::SourcesData() / "kindle" / "clippings-english.txt", fixture::SourcesData() / "koreader", database},
        silent, {});
    ASSERT_NE(library->Database(), nullptr);
    EXPECT_EQ(library->DatabasePath(), database);
    EXPECT_TRUE(WhyNoDatabase(*library).empty());

    const LibraryOverview overview = ReadSourceOverview(*library, {}, silent).value();
    EXPECT_EQ(overview.books.size(), library->Index().Volumes.Count());
    EXPECT_EQ(overview.books.size(), 4u + 1u + 1u);
    EXPECT_TRUE(overview.severalSources);
    EXPECT_FALSE(overview.fromArchive);
    EXPECT_EQ(SourcesOf(overview), (std::set<std::string>{"Kindle", "KOReader", "Kobo"}));
    std::size_t highlights = 0;
    for (const OverviewBook& book : overview.books) {
        highlights += book.highlights;
        EXPECT_FALSE(book.title.empty()) << book.volumeId;
    }
    EXPECT_GT(highlights, 6u);
    const OverviewHighlight& snow = *std::find_if(overview.highlights.begin(), overview.highlights.end(),
                                                  [](const OverviewHighlight& h) { return h.bookmarkId == "h2"; });
    EXPECT_EQ(snow.note, "cold");
    EXPECT_EQ(snow.source, "Kobo");
    EXPECT_EQ(overview.books[snow.book].sources, "Kobo");
    EXPECT_EQ(overview.ChapterOf(snow), "One");

    // The repair is the database's alone: a Kindle book is refused in words, the database's own is repaired.
    const std::string kindleBook = "Rock, Paper, Scissors (Len Fischer)";
    ASSERT_TRUE(library->HasBookmarks(kindleBook));
    EXPECT_THROW(library->RepairContentIds(kindleBook, silent), std::runtime_error);
    EXPECT_NO_THROW(library->RepairContentIds(kBook, silent));
}

TEST(SourceOverviewTest, ABookOnTwoReadersIsOneRowEachHighlightNamingItsSource) {
    TempFolder work;
    const fs::path database = work / "KoboReader.sqlite", clippings = work / "My Clippings.txt";
    {
        fixture::ReaderDatabase db(database);
        FillKobo(db);
    }
    fixture::WriteSourceFile(clippings, "Winter Voyage (Ann Berg)\r\n- Your Highlight on page 3 | location 40-41 | "
                                        "Added on Friday, 26 February 2021 11:03:02\r\n\r\nA gull over the "
                                        "mast.\r\n==========\r\n");
    SilentProgress silent;
    const std::shared_ptr<LoadedLibrary> library = LoadedLibrary::OpenPaths({database, clippings}, silent, {});
    const LibraryOverview overview = ReadSourceOverview(*library, {}, silent).value();
    ASSERT_EQ(overview.books.size(), 1u);
    EXPECT_EQ(overview.books[0].sources, "Kobo + Kindle");
    EXPECT_EQ(overview.books[0].highlights, 3u);
    EXPECT_TRUE(overview.severalSources);
    EXPECT_EQ(SourcesOf(overview), (std::set<std::string>{"Kobo", "Kindle"}));
}

TEST(SourceOverviewTest, WithoutADatabaseTheKoboActionsSayWhy) {
    SilentProgress silent;
    const std::shared_ptr<LoadedLibrary> library =
        LoadedLibrary::OpenPaths({fixture::SourcesData() / "kindle" / "clippings-english.txt"}, silent, {});
    EXPECT_EQ(library->Database(), nullptr);
    EXPECT_EQ(WhyNoDatabase(*library), "the loaded library holds no Kobo database (only other readers' files)");
    try {
        library->ExecuteStatements({"DELETE FROM Bookmark"});
        FAIL() << "the console ran without a database";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "The SQL console runs on a Kobo reader's database: the loaded library holds no "
                                   "Kobo database (only other readers' files)");
    }
    EXPECT_FALSE(ReadSourceOverview(*library, {}, silent).value().severalSources);
}

TEST(SourceOverviewTest, TheArchivesLostHighlightIsGoneAndTheFilterKeepsOnlyThose) {
    TempFolder work;
    const fs::path first = work / "first.sqlite", second = work / "second.sqlite", archive = work / "archive.sqlite";
    {
        fixture::ReaderDatabase db(first);
        FillKobo(db);
    }
    fs::copy_file(first, second);
    {
        fixture::ReaderDatabase db(second, fixture::ReaderDatabase::Existing);
        db.Exec("DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
    }
    SilentProgress silent;
    const ArchiveAddOutcome added = AddToArchive(archive,
                                                 {{first, {{first, ArchiveTimeText(std::time_t{1730419200})}}},
                                                  {second, {{second, ArchiveTimeText(std::time_t{1730764800})}}}},
                                                 silent);
    ASSERT_TRUE(added.failed.empty());

    const LoadedLibrary library(
        std::make_shared<ArchiveSource>(std::make_shared<ArchiveReading>(archive, false, silent), silent), nullptr);
    EXPECT_TRUE(library.FromArchive());
    EXPECT_EQ(WhyNoDatabase(library), "the archive is shown, not a Kobo database");
    const LibraryOverview overview = ReadSourceOverview(library, ArchiveReadingOptions({}), silent).value();
    EXPECT_TRUE(overview.fromArchive);
    ASSERT_EQ(overview.highlights.size(), 2u);

    const HighlightSearch search(overview);
    HighlightFilter gone;
    gone.goneOnly = true;
    const std::vector<std::size_t> found = search.Find("", gone);
    ASSERT_EQ(found.size(), 1u);
    const OverviewHighlight& lost = overview.highlights[found.front()];
    EXPECT_EQ(lost.bookmarkId, "h2");
    EXPECT_TRUE(lost.gone);
    EXPECT_FALSE(lost.lastSeen.empty());
    EXPECT_EQ(search.Find("snow", {}).size(), 1u);
    EXPECT_EQ(search.Find("ice", gone).size(), 0u);
}

} // namespace
