// The reading of a loaded database that is kept between actions: a pending -wal is settled in one private copy per
// load, and a change of the files is read afresh.
#include "DyingWriter.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <cstdlib>

namespace {

namespace fs = std::filesystem;

const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";

class KeptConnectionTest : public ReaderFolderTest {
protected:
    KeptConnectionTest() {
        // The reader's folder holds the database alone, to be seen unchanged.
        fs::remove(results);
        results = elsewhere / "results";
        fs::create_directory(results);
        fs::create_directory(temporary);
        ::setenv("TMPDIR", temporary.c_str(), 1);
        fixture::AddWinterVoyage(reader, kWinter);
        reader.Exec("PRAGMA journal_mode=WAL");
        reader.Close();
    }
    ~KeptConnectionTest() override { ::unsetenv("TMPDIR"); }

    std::string Note() {
        const std::optional<AnnotatedVolume> volume = library.ReadVolume(kWinter, {}, progress);
        return volume ? std::string(volume->bookmarks.front().annotation) : "(gone)";
    }
    std::set<std::string> PrivateCopies() const { return fixture::FolderNames(temporary); }

    TempFolder elsewhere;
    fs::path temporary = elsewhere / "tmp";
};

TEST_F(KeptConnectionTest, OnePrivateCopyPerLoadUntilTheFilesChange) {
    fixture::LeaveCommittedWal(reader.Path(), "UPDATE Bookmark SET Annotation = 'first' WHERE BookmarkID = 'a'");
    ASSERT_EQ(library.LoadDatabase(reader.Path(), progress).kind, LoadOutcome::Kind::Loaded);
    const std::set<std::string> copies = PrivateCopies();
    ASSERT_EQ(copies.size(), 1u) << "the copy that settled the -wal is kept while the database is loaded";

    EXPECT_EQ(Note(), "first");
    const ExportResult exported =
        library.ExtractAnnotations(kWinter, AnnotationTargetPath(results, kWinter), {.setBom = false}, progress);
    ASSERT_EQ(exported.outcome, ExportOutcome::Written);
    EXPECT_NE(fixture::FileBytes(exported.file).find("It was cold that morning.\tfirst\r\n"), std::string::npos);
    EXPECT_EQ(library.RepairContentIds(kWinter, progress).size(), 3u);
    EXPECT_EQ(PrivateCopies(), copies) << "no action copied the database again";

    // Another program commits meanwhile: the kept reading is dropped, and the next action sees the change.
    fixture::LeaveCommittedWal(reader.Path(), "UPDATE Bookmark SET Annotation = 'second' WHERE BookmarkID = 'a'");
    const std::string folderBefore = fixture::FolderState(folder.Path());
    EXPECT_EQ(Note(), "second");
    const std::set<std::string> after = PrivateCopies();
    EXPECT_EQ(after.size(), 1u);
    EXPECT_NE(after, copies);

    // Loading another file lets the copy go; the reader's folder never saw any of it.
    EXPECT_EQ(library.LoadDatabase(folder / "gone.sqlite", progress).kind, LoadOutcome::Kind::NotFound);
    EXPECT_TRUE(PrivateCopies().empty());
    EXPECT_EQ(fixture::FolderState(folder.Path()), folderBefore);
}

TEST_F(KeptConnectionTest, TheConsoleWritesAndTheNextActionReadsWhatItWrote) {
    ASSERT_EQ(library.LoadDatabase(reader.Path(), progress).kind, LoadOutcome::Kind::Loaded);
    EXPECT_EQ(Note(), "good opening");
    library.ExecuteStatements({"UPDATE Bookmark SET Annotation = 'from the console' WHERE BookmarkID = 'a'"});
    EXPECT_EQ(Note(), "from the console");
}

} // namespace
