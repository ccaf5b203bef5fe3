// What a results folder's ledger must be before an export of new highlights trusts it: a regular file of a
// plausible size and shape, of a version this program knows; anything else stops the export and is left as it is.
#include "ExportLedger.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <sys/stat.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";

class LedgerInputTest : public ReaderFolderTest {
protected:
    LedgerInputTest() {
        fixture::AddWinterVoyage(reader, kWinter);
        Load();
    }

    // The message of the export's refusal, empty when it exported. A refused export leaves the folder as it was.
    std::string Refusal() {
        const std::set<std::string> before = fixture::FolderNames(results);
        const std::string bytes = LedgerBytes();
        try {
            library.ExtractAllAnnotations(Index().Volumes.Entries(), results, {.setBom = false, .newOnly = true},
                                          progress);
        } catch (const ELedgerError& error) {
            EXPECT_EQ(fixture::FolderNames(results), before);
            EXPECT_EQ(LedgerBytes(), bytes);
            return error.what();
        }
        return "";
    }
    // The ledger's bytes, or only its size where they are too many to compare quickly.
    std::string LedgerBytes() const {
        if (!fs::is_regular_file(ledger))
            return "";
        if (fs::file_size(ledger) > (100 << 20))
            return std::to_string(fs::file_size(ledger));
        return fixture::FileBytes(ledger);
    }
    void WriteLedger(const std::string& bytes) { std::ofstream(ledger, std::ios::binary) << bytes; }

    std::string Named() const { return "The ledger of exported highlights \"" + ledger.string() + "\""; }
    std::string Damaged(const std::string& why) const {
        return Named() + " is damaged (" + why + "). It is left as it is: move it away to export every highlight anew.";
    }

    fs::path ledger = results / ExportLedger::kFileName;
};

TEST_F(LedgerInputTest, LedgerThatIsNoFileIsRefusedByNameWithoutBeingOpened) {
    fs::create_directory(ledger);
    EXPECT_EQ(Refusal(), Named() + " cannot be read: Is a directory.");
    fs::remove(ledger);

    // Saving would replace the link, not the file it points to.
    std::ofstream(folder / "elsewhere.json") << R"({"books": {}, "version": 1})";
    fs::create_symlink(folder / "elsewhere.json", ledger);
    EXPECT_EQ(Refusal(), Named() + " cannot be read: it is a symbolic link, not a file.");
    fs::remove(ledger);

    // Opened for reading, it would wait for a writer forever.
    ASSERT_EQ(mkfifo(ledger.c_str(), 0600), 0);
    EXPECT_EQ(Refusal(), Named() + " cannot be read: it is a FIFO, not a file.");
}

TEST_F(LedgerInputTest, HugeOrDeeplyNestedLedgerIsRefusedWithoutBeingReadWhole) {
    WriteLedger("");
    fs::resize_file(ledger, (std::uintmax_t{512} << 20) + 1); // sparse: it takes no room on the disk
    EXPECT_EQ(Refusal(), Named() +
                             " is too large for a ledger (536870913 bytes, more than 512 MiB). It is left as it is: "
                             "move it away to export every highlight anew.");

    WriteLedger(std::string(10 << 20, '['));
    EXPECT_EQ(Refusal(), Damaged("it does not have the shape of a ledger"));

    std::string deep = R"({"version": 1, "later": )";
    for (int level = 0; level < 1000000; ++level)
        deep += R"({"a": )";
    WriteLedger(deep);
    EXPECT_EQ(Refusal(), Damaged("nested deeper than 32 levels"));
}

TEST_F(LedgerInputTest, VersionIsAWholeNumberComparedExactly) {
    const std::string books = R"({"books": {")" + kWinter + R"(": {"x": {"modified": "", "sha256": ""}}}, "version": )";
    for (const std::string newer : {"4294967297", "18446744073709551617"}) {
        WriteLedger(books + newer + "}");
        EXPECT_EQ(Refusal(), Named() + " was written by a newer version of the program (ledger version " + newer +
                                 "). It is left as it is: export with that version, or move it away to export every "
                                 "highlight anew.");
    }
    for (const std::string unknown : {"1.9", "1e300", "-1", "0", "1.0"}) {
        WriteLedger(books + unknown + "}");
        EXPECT_EQ(Refusal(), Damaged("version " + unknown));
    }
    WriteLedger(books + "\"1\"}");
    EXPECT_EQ(Refusal(), Damaged("its version is not a number"));

    // A newer ledger may have another shape: its version is what tells.
    WriteLedger(R"({"books": [[]], "version": 3})");
    EXPECT_EQ(Refusal().rfind(Named() + " was written by a newer version of the program (ledger version 3)", 0), 0u);
    // Members this version does not know are passed over; those it knows keep their shape.
    WriteLedger(R"({"books": {}, "later": [[{"x": [1, null]}]], "version": 1})");
    EXPECT_EQ(Refusal(), "");
    EXPECT_EQ(fixture::FolderNames(results).size(), 2u) << "the book's file and the ledger";
    WriteLedger(R"({"books": {}, "version": 2})");
    EXPECT_EQ(Refusal(), Damaged("it has no formats"));
    WriteLedger(R"({"formats": {"text": {"v": {"x": {"modified": "", "sha256": "00"}}}}, "version": 2})");
    EXPECT_EQ(Refusal(), Damaged("a digest is not SHA-256 in hex"));
}

} // namespace
