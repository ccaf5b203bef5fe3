// Exporting only what is new since the last export into a folder, as the folder's ledger tells.
#include "ExportLedger.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <fstream>

namespace {

namespace fs = std::filesystem;
const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";
const ExportOptions kNewOnly{.setBom = false, .newOnly = true};

class NewOnlyExportTest : public ReaderFolderTest {
protected:
    NewOnlyExportTest() {
        fixture::AddWinterVoyage(reader, kWinter);
        fixture::AddCurrentFirmwareLibrary(reader);
        reader.Exec("UPDATE Bookmark SET DateCreated = '2024-01-01T10:00:00.000'");
    }
    ExportAllResult ExportAll(const fs::path& to, const ExportOptions& options = kNewOnly) {
        Load(options.reading);
        return library.ExtractAllAnnotations(Index().Volumes.Entries(), to, options, progress);
    }
    ExportResult ExportWinter(const ExportOptions& options = kNewOnly) {
        Load(options.reading);
        return library.ExtractAnnotations(kWinter, AnnotationTargetPath(results, kWinter), options, progress);
    }
};

TEST_F(NewOnlyExportTest, WritesWhatIsNewOrChangedOnceNeverWhatTheReaderDeletedAndKeepsItsLedgerSafe) {
    const fs::path ledgerFile = results / ExportLedger::kFileName;
    const ExportAllResult first = ExportAll(results);
    EXPECT_EQ(first.written.size(), 4u);
    EXPECT_EQ(first.highlights, 7u);
    EXPECT_EQ(ExportAll(results).highlights, 0u);
    EXPECT_EQ(ExportWinter().outcome, ExportOutcome::NothingNew);
    EXPECT_EQ(fixture::FolderNames(results).size(), 5u) << "four books and the ledger";
    EXPECT_EQ(fixture::FileBytes(ExportWinter({.setBom = false}).file), fixture::kWinterVoyageFile) << "as ever";

    // On the reader: a new highlight, a note changed under the same date, a highlight deleted.
    reader.AddBookmark({.bookmarkId = "d",
                        .volumeId = kWinter,
                        .contentId = kWinter + "#(2)two.html",
                        .startContainerPath = "span#kobo.2.1",
                        .text = "A new one."});
    reader.Exec("UPDATE Bookmark SET Annotation = 'a better note' WHERE BookmarkID = 'a'");
    reader.Exec("UPDATE Bookmark SET Hidden = 'true', DateModified = '2024-02-01' WHERE BookmarkID = 'b'");
    const ExportResult third = ExportWinter();
    EXPECT_EQ(third.highlights, 2u);
    EXPECT_EQ(fixture::FileBytes(third.file), ">>>Title: A Winter Voyage\r\n>>>Author: Some Author\r\n"
                                              ">>>SECTION: Chapter One\r\nIt was cold that morning.\ta better note\r\n"
                                              ">>>SECTION: Chapter Two\r\nA new one.\t\r\n");
    // Deleted highlights asked for: those never exported (k2, g1) are new, b deleted since is not exported again.
    ExportOptions withDeleted = kNewOnly;
    withDeleted.reading.skipDeletedHighlights = false;
    EXPECT_EQ(ExportAll(results, withDeleted).highlights, 2u);

    // Another folder has a ledger of its own, and a ledger removed starts afresh.
    fs::create_directory(folder / "other");
    EXPECT_EQ(ExportAll(folder / "other").highlights, 7u);
    fs::remove(ledgerFile);
    EXPECT_EQ(ExportAll(results).highlights, 7u);

    // A ledger that cannot be used stops the export, and is left as it is.
    for (const std::string ledger : {"{\"version\": 1, \"books\": {\"x\": 2}}", "{\"version\": 2, \"books\": {}}"}) {
        fs::remove_all(results);
        fs::create_directory(results);
        std::ofstream(ledgerFile) << ledger;
        EXPECT_THROW(ExportWinter(), ELedgerError);
        std::string message;
        try {
            ExportAll(results);
        } catch (const ELedgerError& error) {
            message = error.what();
        }
        const std::string why = ledger[12] == '2' ? "\" was written by a newer" : "\" is damaged";
        EXPECT_EQ(message.rfind("The ledger of exported highlights \"" + ledgerFile.string() + why, 0), 0u) << message;
        EXPECT_EQ(fixture::FolderNames(results), std::set<std::string>{ExportLedger::kFileName});
        EXPECT_EQ(fixture::FileBytes(ledgerFile), ledger);
    }
}

} // namespace
