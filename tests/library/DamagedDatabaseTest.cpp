// Databases with damaged pages: what can still be read is read, and what cannot says so.
#include "ESQLiteException.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <algorithm>

namespace {

const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";

class DamagedDatabaseTest : public ReaderFolderTest {
protected:
    DamagedDatabaseTest() {
        fixture::AddWinterVoyage(reader, kWinter);
        reader.Exec("BEGIN");
        for (int i = 0; i < 2000; ++i)
            reader.AddBookmark({.bookmarkId = "f" + std::to_string(i),
                                .volumeId = "/mnt/onboard/Filler " + std::to_string(i % 50) + ".epub",
                                .contentId = "filler.html",
                                .text = "filler"});
        reader.Exec("COMMIT");
    }
    ExportResult Export() {
        return library.ExtractAnnotations(kWinter, AnnotationTargetPath(results, kWinter), {.setBom = false}, progress);
    }
};

TEST_F(DamagedDatabaseTest, ADamagedIndexIsReadAroundWithAWarning) {
    reader.Damage("bookmark_volume", "leaf");
    Load();
    ASSERT_TRUE(Index().Volumes.Contains(kWinter));
    const ExportResult result = Export();
    ASSERT_EQ(result.outcome, ExportOutcome::Written);
    EXPECT_EQ(fixture::FileBytes(result.file), fixture::kWinterVoyageFile);
    EXPECT_EQ(std::count(progress.events.begin(), progress.events.end(),
                         "warn:The database file is damaged; what was read may be incomplete."),
              1);
}

TEST_F(DamagedDatabaseTest, ADamagedTableSaysWhatCouldNotBeRead) {
    reader.Damage("Bookmark", "leaf");
    try {
        Load();
        ADD_FAILURE() << "the bookmarks cannot be read";
    } catch (const ESQLiteException& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("The database file is damaged: the list of books could not be read.\r", 0), 0u)
            << message;
        EXPECT_NE(message.find("database disk image is malformed"), std::string::npos) << message;
    }
}

} // namespace
