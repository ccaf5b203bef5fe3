// Reading whole records: what the richer formats show of each bookmark and of the book.
#include "ReaderConnection.h"
#include "ReaderFolderTest.h"
#include "VolumeReader.h"
#include "WholeRecordBooks.h"

#include <fstream>

namespace {

using namespace fixture::records;

class WholeRecordTest : public ReaderFolderTest {
protected:
    AnnotatedVolume Read(const std::string& volume, ReadingOptions options) {
        options.wholeRecords = true;
        Load(options);
        AnnotatedVolume read;
        ReadReaderDatabase(reader.Path(), "", progress, [&](ReaderConnection& connection) {
            read = ReadAnnotatedVolume(connection, Index(), volume, options, nullptr, progress);
        });
        return read;
    }
};

TEST_F(WholeRecordTest, EveryColumnTheDatabaseHasIsRead) {
    fixture::AddWholeRecordLibrary(reader);
    std::filesystem::create_directory(folder / "markups");
    std::ofstream(folder / "markups/r5.svg") << "<svg/>";

    const AnnotatedVolume rich = Read(kRich, {});
    EXPECT_EQ(rich.title + "|" + rich.author + "|" + rich.publisher + "|" + rich.isbn + "|" + rich.language,
              "Notes: \"On\" Things|Ann Writer|Small Press|9780000000002|en");
    std::string seen;
    for (const AnnotatedBookmark& b : rich.bookmarks) {
        const std::optional<double> at = rich.PositionOf(b);
        seen += b.bookmarkId + " " + b.type + " " + b.color + " " + b.dateCreated + " " +
                (at ? std::to_string(*at).substr(0, 4) : "-") + " " + rich.PartOf(b).Heading() + "\n";
    }
    EXPECT_EQ(seen, "r1 note yellow 2024-11-18T17:45:50.886 10.0 One\n"
                    "r2 note pink 2024-11-18T17:46:10.120 20.0 One\n"
                    "r3 highlight blue 2024-11-18T17:47:00.000 30.0 One\n"
                    "r4 dogear  2024-11-19T21:10:05.000 40.0 Two\n"
                    "r5 markup   40.0 Two\n");
    EXPECT_EQ(rich.bookmarks[4].markupImage, folder / "markups/r5.svg");

    const AnnotatedVolume withDeleted = Read(kRich, {.skipDeletedHighlights = false});
    ASSERT_EQ(withDeleted.bookmarks.size(), 6u);
    EXPECT_TRUE(withDeleted.bookmarks[5].deleted && !withDeleted.bookmarks[4].deleted);

    const AnnotatedVolume store = Read(kStore, {});
    ASSERT_EQ(store.bookmarks.size(), 1u);
    EXPECT_EQ(store.bookmarks[0].type + store.bookmarks[0].color + store.bookmarks[0].dateCreated, "");
    EXPECT_FALSE(store.PositionOf(store.bookmarks[0]));
}

} // namespace
