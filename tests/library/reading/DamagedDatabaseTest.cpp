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
    reader.Close();
    const LoadOutcome outcome = library.LoadDatabase(reader.Path(), progress);
    ASSERT_EQ(outcome.kind, LoadOutcome::Kind::Failed);
    EXPECT_EQ(outcome.error.rfind("The database file is damaged: the list of books could not be read.\r", 0), 0u)
        << outcome.error;
    EXPECT_NE(outcome.error.find("database disk image is malformed"), std::string::npos) << outcome.error;
    // Damage is told by the error itself, not by asking the connection afterwards.
    try {
        std::rethrow_exception(outcome.exception);
    } catch (const ESQLiteException& error) {
        EXPECT_TRUE(error.IsCorrupt());
        EXPECT_FALSE(error.IsNotADatabase());
    }
}

} // namespace
