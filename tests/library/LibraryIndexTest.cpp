// Building the index of volumes, titles and authors from real reader databases.
#include "ReaderDatabase.h"
#include "ReaderLibrary.h"
#include "TSQLiteDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class RecordingProgress : public SilentProgress {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    std::vector<std::string> statuses;
};

class LibraryIndexTest : public ::testing::Test {
protected:
    fixture::Bookmark Mark(const std::string& id, const std::string& volume, std::int64_t childIndex = 1) {
        return {.bookmarkId = id,
                .volumeId = volume,
                .contentId = volume + "#part",
                .startContainerChildIndex = childIndex};
    }

    TempFolder folder;
    fixture::ReaderDatabase reader{folder / "KoboReader.sqlite"};
    TextOrder order{"en_US.UTF-8"};
    ReaderLibrary library{order};
    RecordingProgress progress;
};

TEST_F(LibraryIndexTest, VolumesWithBookmarksAreListedOnceEach) {
    reader.Exec("BEGIN");
    for (int i = 0; i < 2000; ++i)
        reader.AddBookmark(Mark("busy" + std::to_string(i), "/mnt/onboard/Busy.epub"));
    reader.Exec("COMMIT");
    reader.AddBookmark(Mark("z0", "/mnt/onboard/zero.epub", 0));
    reader.AddBookmark(Mark("z1", "/mnt/onboard/zero.epub", 0));
    reader.AddBookmark(Mark("m0", "/mnt/onboard/mixed.epub", 0));
    reader.AddBookmark(Mark("m1", "/mnt/onboard/mixed.epub", 7));
    reader.AddBookmark(Mark("c1", "/mnt/onboard/Case.epub"));
    reader.AddBookmark(Mark("c2", "/mnt/onboard/CASE.EPUB"));
    reader.AddBookmark(Mark("q1", "/mnt/onboard/\"quoted\" 100% a_b=c.epub"));
    reader.AddBookmark(Mark("u1", "/mnt/onboard/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.epub"));

    library.LoadDatabase(reader.Path(), progress);

    EXPECT_EQ(library.Index().Volumes.Entries(),
              (std::vector<std::string>{"/mnt/onboard/\"quoted\" 100% a_b=c.epub", "/mnt/onboard/Busy.epub",
                                        "/mnt/onboard/Case.epub", "/mnt/onboard/mixed.epub",
                                        "/mnt/onboard/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.epub"}));
    EXPECT_EQ(library.DatabasePath(), reader.Path());
    EXPECT_EQ(progress.statuses, (std::vector<std::string>{"reading database", ""}));
}

TEST_F(LibraryIndexTest, TitlesAndAuthorsBelongToListedVolumes) {
    const std::string winter = "/mnt/onboard/Winter.epub", spring = "/mnt/onboard/Spring.epub";
    const std::string unlisted = "/mnt/onboard/Unread.epub", anthology = "/mnt/onboard/Anthology.epub";
    for (const auto& volume : {winter, spring, anthology})
        reader.AddBookmark(Mark(volume + "-bm", volume));
    reader.AddBook({.volumeId = winter, .title = "A Winter Voyage", .author = "Some Author"});
    reader.AddBook({.volumeId = spring, .title = "Spring", .author = "Some Author"});
    reader.AddBook({.volumeId = anthology, .title = "Anthology", .author = std::nullopt});
    reader.AddBook({.volumeId = unlisted, .title = "Unread", .author = "Nobody"});
    for (int chapter = 1; chapter <= 3; ++chapter)
        reader.AddPart({.contentId = winter + "#(" + std::to_string(chapter) + ")ch.xhtml",
                        .bookId = winter,
                        .bookTitle = "A Winter Voyage"});
    reader.AddPart({.contentId = spring + "#1", .bookId = spring, .bookTitle = "Spring = Rebirth"});
    reader.AddPart({.contentId = spring + "#2", .bookId = spring, .bookTitle = "Spring, revised"});
    reader.AddPart({.contentId = anthology + "#1", .bookId = anthology, .bookTitle = std::nullopt});
    reader.AddPart({.contentId = unlisted + "#1", .bookId = unlisted, .bookTitle = "Unread"});

    library.LoadDatabase(reader.Path(), progress);

    // Pairs sort by their ids first, so the tabs show titles and authors in the order of the books behind them.
    EXPECT_EQ(library.Index().TitlePairs.Entries(),
              (std::vector<std::string>{anthology + "=", spring + "=Spring = Rebirth", spring + "=Spring, revised",
                                        winter + "=A Winter Voyage"}));
    EXPECT_EQ(library.Index().AuthorPairs.Entries(),
              (std::vector<std::string>{anthology + "=", spring + "=Some Author", winter + "=Some Author"}));
    EXPECT_EQ(library.Index().TitlePairs.ValueOf(spring), "Spring = Rebirth");
}

TEST_F(LibraryIndexTest, BookmarksWithoutContentRowsListOnlyVolumes) {
    reader.AddBookmark(Mark("a", "/mnt/onboard/Lonely.epub"));
    library.LoadDatabase(reader.Path(), progress);
    EXPECT_EQ(library.Index().Volumes.Count(), 1u);
    EXPECT_EQ(library.Index().TitlePairs.Count(), 0u);
    EXPECT_EQ(library.Index().AuthorPairs.Count(), 0u);
}

TEST_F(LibraryIndexTest, PathWithoutFileClearsTheIndexAndKeepsTheLoadedPath) {
    reader.AddBookmark(Mark("a", "/mnt/onboard/Book.epub"));
    library.LoadDatabase(reader.Path(), progress);
    ASSERT_EQ(library.Index().Volumes.Count(), 1u);

    progress.statuses.clear();
    for (const auto& nothing : {folder / "missing.sqlite", folder.Path()}) {
        library.LoadDatabase(nothing, progress);
        EXPECT_EQ(library.Index().Volumes.Count(), 0u);
        EXPECT_EQ(library.DatabasePath(), reader.Path());
        EXPECT_FALSE(std::filesystem::exists(folder / "missing.sqlite")) << "nothing is created";
    }
    EXPECT_EQ(progress.statuses, (std::vector<std::string>{"reading database", "", "reading database", ""}));
}

TEST_F(LibraryIndexTest, BadFilesRaiseTheAccessLayersErrorAndKeepTheStatus) {
    const auto notes = folder / "notes.txt";
    std::ofstream(notes) << std::string(2000, 'n');
    try {
        library.LoadDatabase(notes, progress);
        FAIL() << "a text file is no database";
    } catch (const ESQLiteException& e) {
        EXPECT_STREQ(e.what(), "Error executing SQL.\rError [26]: File opened that is not a database file.\r\"SELECT "
                               "VolumeID, StartContainerChildIndex FROM Bookmark\": file is not a database");
    }
    EXPECT_EQ(library.DatabasePath(), notes);
    EXPECT_EQ(progress.statuses, (std::vector<std::string>{"reading database"}));

    reader.AddBookmark(Mark("a", "/mnt/onboard/Book.epub"));
    reader.Exec("ALTER TABLE content DROP COLUMN Attribution");
    reader.Close();
    try {
        library.LoadDatabase(reader.Path(), progress);
        FAIL() << "the content table lacks a column";
    } catch (const ESQLiteException& e) {
        EXPECT_STREQ(e.what(), "Error executing SQL.\rError [1]: SQL error or missing database.\r\"SELECT ContentID, "
                               "Attribution FROM content\": no such column: Attribution");
    }
    EXPECT_EQ(library.Index().Volumes.Count(), 1u) << "what was read before the failure stays";
}

} // namespace
