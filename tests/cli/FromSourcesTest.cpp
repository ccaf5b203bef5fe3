// marvik-cli list, export, sync and stats --from: a Kobo database, a KOReader folder and a Kindle's clippings read as
// one library.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::string kSword = "file:///mnt/onboard/Anderson/The Broken Sword.kepub.epub";
const std::string kSwordPart = kSword + "!!OEBPS/ch01.xhtml";

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Annotation(int n, const std::string& text, const std::string& note, int page) {
    return "        [" + std::to_string(n) + "] = {\n            [\"chapter\"] = \"Chapter 1\",\n" +
           "            [\"datetime\"] = \"2026-10-02 14:4" + std::to_string(n) + ":00\",\n" +
           (note.empty() ? "" : "            [\"note\"] = \"" + note + "\",\n") +
           "            [\"pageno\"] = " + std::to_string(page) + ",\n" +
           "            [\"pos0\"] = \"/body/DocFragment[9]/body/div/p[" + std::to_string(page) + "]/text().0\",\n" +
           "            [\"pos1\"] = \"/body/DocFragment[9]/body/div/p[" + std::to_string(page) + "]/text().9\",\n" +
           "            [\"text\"] = \"" + text + "\",\n        },\n";
}

std::string Clipping(const std::string& book, const std::string& meta, const std::string& text) {
    return book + "\n- " + meta + " | Added on Friday, 2 October 2026 15:00:00\n\n" + text + "\n==========\n";
}

class FromSourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The Kobo reader: the book at 10 % and 70 %, its ISBN, and a passage the Kindle holds too.
        fixture::ReaderDatabase db(m_database);
        db.AddBook({.volumeId = kSword, .title = "The Broken Sword", .author = "Poul Anderson"});
        db.AddPart({.contentId = kSwordPart, .bookId = kSword, .bookTitle = "The Broken Sword", .title = "One"});
        db.AddBookmark({.bookmarkId = "k-1", .volumeId = kSword, .contentId = kSwordPart, .text = "Kobo early."});
        db.AddBookmark({.bookmarkId = "k-2",
                        .volumeId = kSword,
                        .contentId = kSwordPart,
                        .startContainerPath = "span#kobo.9.1",
                        .text = "Kobo late.",
                        .annotation = "a Kobo note"});
        db.AddBookmark({.bookmarkId = "k-3",
                        .volumeId = kSword,
                        .contentId = kSwordPart,
                        .startContainerPath = "span#kobo.5.1",
                        .text = "A shared passage."});
        db.Exec("UPDATE content SET ___FileOffset = 0, ___FileSize = 100 WHERE ContentID = '" + kSwordPart + "'");
        db.Exec("UPDATE content SET ISBN = '978-1-4976-9586-3' WHERE ContentID = '" + kSword + "'");
        db.Exec("UPDATE Bookmark SET ChapterProgress = 0.1 WHERE BookmarkID = 'k-1'");
        db.Exec("UPDATE Bookmark SET ChapterProgress = 0.7 WHERE BookmarkID = 'k-2'");
        db.Exec("UPDATE Bookmark SET ChapterProgress = 0.5 WHERE BookmarkID = 'k-3'");
        db.Close();

        // KOReader: the same book by its ISBN (its title spelled otherwise), at 40 %, and a book of its own.
        WriteFile(m_work / "koreader" / "Sword.sdr" / "metadata.epub.lua",
                  "return {\n    [\"annotations\"] = {\n" + Annotation(1, "KOReader middle.", "a KOReader note", 41) +
                      "    },\n    [\"doc_pages\"] = 100,\n    [\"doc_path\"] = \"/mnt/onboard/Sword.epub\",\n"
                      "    [\"doc_props\"] = {\n        [\"authors\"] = \"Anderson, Poul\",\n"
                      "        [\"identifiers\"] = \"uuid:4f6c50d9\\\nISBN:9781497695863\",\n"
                      "        [\"title\"] = \"Broken Sword (Revised)\",\n    },\n}\n");
        WriteFile(m_work / "koreader" / "Other.sdr" / "metadata.epub.lua",
                  "return {\n    [\"annotations\"] = {\n" + Annotation(1, "Only here.", "", 3) +
                      "    },\n    [\"doc_props\"] = { [\"title\"] = \"A KOReader Book\", [\"authors\"] = \"Kay "
                      "Reader\" },\n}\n");

        // The Kindle: the same book by title and author in other letter case and accents, and a book of its own.
        WriteFile(m_clippings,
                  Clipping("the broken sword (POUL ANDERS\xC3\x93N)", "Your Highlight on page 3 | Location 900-902",
                           "Kindle passage.") +
                      Clipping("the broken sword (POUL ANDERS\xC3\x93N)", "Your Note on page 3 | Location 902",
                               "a Kindle note") +
                      Clipping("the broken sword (POUL ANDERS\xC3\x93N)", "Your Highlight on page 2 | Location 500-501",
                               "A shared passage.") +
                      Clipping("Kindle Only (Kim Dle)", "Your Highlight on page 1 | Location 10-12", "Kindle alone."));
    }

    ChildResult Cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--from", m_database.string(), "--from",
                                                 (m_work / "koreader").string(), "--from", m_clippings.string()});
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    TempFolder m_work;
    // The desktop app keeps the same tables in Kobo.sqlite.
    fs::path m_database = m_work / "Kobo.sqlite";
    fs::path m_clippings = m_work / "kindle" / "documents" / "My Clippings.txt";
};

TEST_F(FromSourcesTest, ListsOneLibraryWithEachBookOnce) {
    const ChildResult run = Cli({"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, (m_work / "koreader" / "Other.epub").string() + "\tA KOReader Book\tKay Reader\n" + kSword +
                           "\tThe Broken Sword\tPoul Anderson\nKindle Only (Kim Dle)\tKindle Only\tKim Dle\n");
}

// Every highlight once, in the order of its place in the book where the sources tell it (Kobo's progress, KOReader's
// page of the book's pages), the Kindle's after them; each note on its highlight. JSON names each one's source.
TEST_F(FromSourcesTest, ExportsEveryHighlightOnceInOrderInEveryFormat) {
    const ChildResult json = Cli({"export", "--format", "json", "--stdout", kSword});
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["book"]["title"], "The Broken Sword");
    std::vector<std::string> texts, notes, sources;
    for (const nlohmann::json& record : document["annotations"]) {
        texts.push_back(record.value("text", ""));
        notes.push_back(record.value("note", ""));
        sources.push_back(record["source"].get<std::string>() + " " + record["sourcePath"].get<std::string>());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Kobo early.", "KOReader middle.", "A shared passage.", "Kobo late.",
                                               "Kindle passage."}));
    EXPECT_EQ(notes, (std::vector<std::string>{"", "a KOReader note", "", "a Kobo note", "a Kindle note"}));
    const std::string kobo = "kobo " + m_database.string(),
                      koreader = "koreader " + (m_work / "koreader" / "Sword.sdr" / "metadata.epub.lua").string(),
                      kindle = "kindle " + m_clippings.string();
    EXPECT_EQ(sources, (std::vector<std::string>{kobo, koreader, kobo, kobo, kindle}));

    // The other formats hold the same highlights in the same order.
    for (const std::string format : {"text", "markdown", "csv"}) {
        const ChildResult run = Cli({"export", "--format", format, "--stdout", kSword});
        ASSERT_EQ(run.exitStatus, 0) << format << run.err;
        std::size_t last = 0;
        for (const std::string& text : texts) {
            const std::size_t at = run.out.find(text);
            ASSERT_NE(at, std::string::npos) << format << ": " << text;
            EXPECT_GT(at, last) << format << ": " << text;
            EXPECT_EQ(run.out.find(text, at + 1), std::string::npos) << format << ": twice " << text;
            last = at;
        }
        EXPECT_EQ(run.out.find("\"source\""), std::string::npos) << format;
    }

    // Files, as the reader's database's: one a book, the paths printed.
    const ChildResult all = Cli({"export", "--all", "--format", "markdown", "--results", "out"});
    ASSERT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_EQ(all.out, "out/A KOReader Book - Kay Reader_0000.md\nout/The Broken Sword - Poul Anderson_0000.md\n"
                       "out/Kindle Only - Kim Dle_0000.md\n");
    EXPECT_NE(fixture::FileBytes(m_work / "out" / "Kindle Only - Kim Dle_0000.md").find("Kindle alone."),
              std::string::npos);
}

// A Kindle's book has no chapters and no store: its note is headed by nothing and says it is no store book.
TEST_F(FromSourcesTest, SyncsNotesOfAnotherReadersBooks) {
    fs::create_directories(m_work / "notes");
    const ChildResult run = Cli({"sync", "--to", "notes"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "marvik-cli: 3 notes: 7 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited "
                       "them\n");
    const std::string note = fixture::FileBytes(m_work / "notes" / "Kindle Only - Kim Dle.md");
    EXPECT_NE(note.find("storeBook: false"), std::string::npos) << note;
    EXPECT_NE(note.find("Kindle alone."), std::string::npos) << note;
    EXPECT_EQ(note.find("\n## "), std::string::npos) << note;
    const ChildResult again = Cli({"sync", "--to", "notes"});
    EXPECT_EQ(again.out, "");
}

TEST_F(FromSourcesTest, StatsReadsTheKoboDatabaseAndSaysWhyTheOthersAreLeftOut) {
    const ChildResult run = Cli({"stats", "--no-backups", "--format", "json"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "marvik-cli: " + (m_work / "koreader").string() +
                           ": only a Kobo reader's database keeps reading sessions: left out\n"
                           "marvik-cli: " +
                           m_clippings.string() + ": only a Kobo reader's database keeps reading sessions: left out\n");
    const ChildResult none = RunChild(MARVIK_CLI_EXECUTABLE, {"stats", "--from", m_clippings.string()}, m_work.Path());
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_NE(none.err.find("stats: no Kobo database among the paths"), std::string::npos) << none.err;
}

TEST_F(FromSourcesTest, APathWithNoReadersFilesIsAnError) {
    WriteFile(m_work / "notes.txt", "nothing here\n");
    const ChildResult run =
        RunChild(MARVIK_CLI_EXECUTABLE, {"list", "--from", (m_work / "notes.txt").string()}, m_work.Path());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "no reader's highlights found in " + (m_work / "notes.txt").string() +
                           ": not a Kobo database, KOReader sidecar or folder, or Kindle clippings file\n");
    // A sidecar named on its own that does more than return a table: refused, and nothing it asked for happens.
    WriteFile(m_work / "bad.lua", "os.remove('" + m_database.string() + "') return {}");
    const ChildResult bad =
        RunChild(MARVIK_CLI_EXECUTABLE, {"list", "--from", (m_work / "bad.lua").string()}, m_work.Path());
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_TRUE(bad.err.starts_with((m_work / "bad.lua").string() + ": does more than return a table: ")) << bad.err;
    EXPECT_TRUE(fs::exists(m_database));
    const ChildResult usage = RunChild(MARVIK_CLI_EXECUTABLE, {"repair", "--from", "x", "id"}, m_work.Path());
    EXPECT_EQ(usage.exitStatus, 2);
}

} // namespace
