// Building the index of volumes, titles and authors from real reader databases.
#include "Messages.h"
#include "ReaderFolderTest.h"

namespace {

using Lines = std::vector<std::string>;

class LibraryIndexTest : public ReaderFolderTest {
protected:
    void Mark(const std::string& id, const std::string& volume, std::int64_t childIndex = 1) {
        reader.AddBookmark({.bookmarkId = id,
                            .volumeId = volume,
                            .contentId = volume + "#part",
                            .startContainerChildIndex = childIndex});
    }
    LoadOutcome LoadDatabase(const std::filesystem::path& path) { return library.LoadDatabase(path, progress); }
};

TEST_F(LibraryIndexTest, VolumesWithBookmarksAreListedOnceEach) {
    for (int i = 0; i < 3; ++i)
        Mark("busy" + std::to_string(i), "/mnt/onboard/Busy.epub");
    Mark("z0", "/mnt/onboard/zero.epub", 0);
    Mark("z1", "/mnt/onboard/zero.epub", 0);
    Mark("m0", "/mnt/onboard/mixed.epub", 0);
    Mark("m1", "/mnt/onboard/mixed.epub", 7);
    Mark("c1", "/mnt/onboard/Case.epub");
    Mark("c2", "/mnt/onboard/CASE.EPUB");
    Mark("q1", "/mnt/onboard/\"quoted\" 100% a_b=c.epub");
    Mark("u1", "/mnt/onboard/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.epub");

    const LoadOutcome outcome = LoadDatabase(reader.Path());

    EXPECT_EQ(outcome.kind, LoadOutcome::Kind::Loaded);
    EXPECT_EQ(outcome.books, 5u);
    EXPECT_EQ(Index().Volumes.Entries(),
              (Lines{"/mnt/onboard/\"quoted\" 100% a_b=c.epub", "/mnt/onboard/Busy.epub", "/mnt/onboard/Case.epub",
                     "/mnt/onboard/mixed.epub", "/mnt/onboard/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.epub"}));
    EXPECT_EQ(Index().TitlePairs.Count(), 0u) << "no content rows, no titles";
    EXPECT_EQ(Index().AuthorPairs.Count(), 0u);
    EXPECT_EQ(library.DatabasePath(), reader.Path());
    EXPECT_EQ(progress.events, (Lines{"status:reading database", "status:"}));
}

TEST_F(LibraryIndexTest, TitlesAndAuthorsBelongToListedVolumes) {
    const std::string winter = "/mnt/onboard/Winter.epub", spring = "/mnt/onboard/Spring.epub";
    const std::string unlisted = "/mnt/onboard/Unread.epub", anthology = "/mnt/onboard/Anthology.epub";
    for (const auto& volume : {winter, spring, anthology})
        Mark(volume + "-bm", volume);
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

    LoadDatabase(reader.Path());

    // Pairs sort by their ids first, so the tabs show titles and authors in the order of the books behind them.
    EXPECT_EQ(Index().TitlePairs.Entries(), (Lines{anthology + "=", spring + "=Spring = Rebirth",
                                                   spring + "=Spring, revised", winter + "=A Winter Voyage"}));
    EXPECT_EQ(Index().AuthorPairs.Entries(),
              (Lines{anthology + "=", spring + "=Some Author", winter + "=Some Author"}));
    EXPECT_EQ(Index().TitlePairs.ValueOf(spring), "Spring = Rebirth");
}

TEST_F(LibraryIndexTest, PathWithoutFileClearsTheIndexAndKeepsTheLoadedPath) {
    // The window's tests load a missing file; a folder is no file either.
    Mark("a", "/mnt/onboard/Book.epub");
    LoadDatabase(reader.Path());
    ASSERT_EQ(Index().Volumes.Count(), 1u);
    progress.events.clear();
    const LoadOutcome ofFolder = LoadDatabase(folder.Path());
    EXPECT_EQ(ofFolder.kind, LoadOutcome::Kind::NotAFile);
    EXPECT_EQ(ofFolder.pathKind, DatabasePathKind::Folder);
    EXPECT_EQ(Index().Volumes.Count(), 0u);
    EXPECT_EQ(library.DatabasePath(), reader.Path());
    EXPECT_EQ(progress.events, (Lines{"status:reading database", "status:"}));
    EXPECT_EQ(LoadDatabase(folder / "gone.sqlite").kind, LoadOutcome::Kind::NotFound);
}

TEST_F(LibraryIndexTest, AFailureKeepsTheStatusAndWhatWasReadBeforeIt) {
    // A file that is no database at all shows the same way in the window's tests.
    Mark("a", "/mnt/onboard/Book.epub");
    reader.Exec("ALTER TABLE content DROP COLUMN Attribution");
    reader.Close();
    const LoadOutcome outcome = LoadDatabase(reader.Path());
    ASSERT_EQ(outcome.kind, LoadOutcome::Kind::Failed);
    EXPECT_EQ(outcome.error,
              "Error executing SQL.\rError [1]: SQL error or missing database.\r\"SELECT ContentID, Attribution FROM "
              "content\": no such column: Attribution");
    EXPECT_EQ(fixture::MessageOf([&] { std::rethrow_exception(outcome.exception); }), outcome.error);
    EXPECT_EQ(Index().Volumes.Count(), 1u);
    EXPECT_EQ(library.DatabasePath(), reader.Path());
    EXPECT_EQ(progress.events, Lines{"status:reading database"});
}

} // namespace
