// Exporting only what is new since the last export into a folder, as the folder's ledger tells.
#include "ExportLedger.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <nlohmann/json.hpp>

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
        return library.ExtractAnnotations(kWinter, library.ExportTarget(kWinter, results, options), options, progress);
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

    // A ledger that cannot be used stops the export, and is left as it is; an export of everything is written all the
    // same, and says that it is not recorded.
    for (const std::string ledger : {"{\"version\": 1, \"books\": {\"x\": 2}}", "{\"version\": 3, \"formats\": {}}"}) {
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
        const std::string why = ledger[12] == '3' ? "\" was written by a newer" : "\" is damaged";
        EXPECT_EQ(message.rfind("The ledger of exported highlights \"" + ledgerFile.string() + why, 0), 0u) << message;
        EXPECT_EQ(fixture::FolderNames(results), std::set<std::string>{ExportLedger::kFileName});
        progress.events.clear();
        EXPECT_EQ(ExportWinter({.setBom = false}).outcome, ExportOutcome::Written);
        EXPECT_EQ(progress.events.front(), "warn:" + message + " What this export writes is not recorded in it.");
        EXPECT_EQ(fixture::FileBytes(ledgerFile), ledger);
    }
}

TEST_F(NewOnlyExportTest, EveryExportIntoAFolderRecordsWhatItWroteThereInItsFormat) {
    // Everything exported, of all books or of chosen highlights, is not new to that folder in that format.
    EXPECT_EQ(ExportAll(results, {.setBom = false}).written.size(), 4u);
    EXPECT_EQ(ExportAll(results).highlights, 0u);
    const ExportOptions csv{.setBom = false, .format = ExportFormat::Csv};
    ASSERT_EQ(library.ExtractSelectedAnnotations(kWinter, {"a", "c"}, results, csv, progress).outcome,
              ExportOutcome::Written);
    ExportOptions newCsv = csv;
    newCsv.newOnly = true;
    EXPECT_EQ(ExportWinter(newCsv).highlights, 1u) << "b";

    // Another format into the same folder starts afresh, then knows its own.
    ExportOptions markdown = kNewOnly;
    markdown.format = ExportFormat::Markdown;
    ExportOptions json = kNewOnly;
    json.format = ExportFormat::Json;
    EXPECT_EQ(ExportAll(results, markdown).highlights, 7u);
    EXPECT_EQ(ExportAll(results, json).highlights, 7u);
    EXPECT_EQ(ExportAll(results, markdown).highlights, 0u);

    // Changed on the reader after an export of everything: a note, and something that changed only the date (a
    // colour, where the firmware keeps one). The text file shows only text and note; Markdown shows the rest too.
    EXPECT_EQ(ExportWinter({.setBom = false, .format = ExportFormat::Markdown}).highlights, 3u);
    reader.Exec("UPDATE Bookmark SET Annotation = 'a better note' WHERE BookmarkID = 'a'");
    reader.Exec("UPDATE Bookmark SET DateModified = '2024-03-01T09:00:00.000' WHERE BookmarkID = 'b'");
    EXPECT_EQ(ExportWinter().highlights, 1u) << "a";
    EXPECT_EQ(ExportWinter(markdown).highlights, 2u);
}

TEST_F(NewOnlyExportTest, LedgerOfTheFirstVersionCountsForEveryFormatAndIsSavedInTheNewOne) {
    // As the first version wrote it after exporting a and b of the Winter Voyage; b changed since.
    const std::string first =
        "{\n\t\"books\": {\n\t\t\"" + kWinter +
        "\": {\n"
        "\t\t\t\"a\": {\n\t\t\t\t\"modified\": \"2024-01-01T10:00:00.000\",\n"
        "\t\t\t\t\"sha256\": \"9a6bbf0e8d636ed27ec991f9304b5fe656455f0121e0ee6778608946e38afd67\"\n\t\t\t},\n"
        "\t\t\t\"b\": {\n\t\t\t\t\"modified\": \"2024-01-01T10:00:00.000\",\n"
        "\t\t\t\t\"sha256\": \"29a6d8f62d8798af5f1ae9bcd2588b00ea0c2b067a50765f634c887a11f62f94\"\n\t\t\t}\n"
        "\t\t}\n\t},\n\t\"version\": 1\n}\n";
    const fs::path ledgerFile = results / ExportLedger::kFileName;
    std::ofstream(ledgerFile, std::ios::binary) << first;
    reader.Exec("UPDATE Bookmark SET Text = 'The ship left at noon.' WHERE BookmarkID = 'b'");

    ExportOptions json = kNewOnly;
    json.format = ExportFormat::Json;
    for (const ExportOptions& options : {kNewOnly, json})
        EXPECT_EQ(ExportWinter(options).highlights, 2u) << "b and c";

    // Saved in the new version: the old marks kept for every format, each format's own beside them.
    const nlohmann::json saved = nlohmann::json::parse(fixture::FileBytes(ledgerFile));
    EXPECT_EQ(saved["version"], 2);
    EXPECT_EQ(saved["everyFormat"], nlohmann::json::parse(first)["books"]);
    for (const char* format : {"json", "text"}) {
        const nlohmann::json& marks = saved["formats"][format][kWinter];
        EXPECT_EQ(marks.size(), 2u);
        EXPECT_NE(marks["b"]["sha256"], saved["everyFormat"][kWinter]["b"]["sha256"]);
    }
    ExportOptions markdown = kNewOnly;
    markdown.format = ExportFormat::Markdown;
    EXPECT_EQ(ExportWinter(markdown).highlights, 2u);
    EXPECT_EQ(ExportWinter(json).highlights, 0u);
}

} // namespace
