// marvik-cli words, and an export of every book as HTML pages with their index, end to end on a real database.
#include "ChildProcess.h"
#include "EpubMaker.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace fixture::records;

class WordsAndPagesTest : public ::testing::Test {
protected:
    WordsAndPagesTest() {
        fixture::ReaderDatabase db(m_database);
        fixture::AddWholeRecordLibrary(db);
        db.AddShelfAndWordTables();
        db.AddSavedWord({"Fernweh", kRich, "-de", "2024-11-19T10:00:00Z"});
        db.AddSavedWord({std::string(10000, 'x'), kStore, {}, "2024-11-19T11:00:00Z"});
    }

    ChildResult Cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--db", m_database.string()});
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    TempFolder m_work;
    fs::path m_database = m_work / "KoboReader.sqlite";
};

TEST_F(WordsAndPagesTest, WordsForAnkiNameTheWordThatWasCut) {
    const ChildResult run = Cli({"words", "--format", "anki"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string cut = std::string(100, 'x') + "\xE2\x80\xA6";
    EXPECT_EQ(run.out, "#separator:tab\n#html:false\n#deck:Saved words\n#tags column:3\n"
                       "Fernweh\t\"Notes: \"\"On\"\" Things \xC2\xB7 de\"\t\"Notes:_\"\"On\"\"_Things\"\n" +
                           cut + "\tA Store Book\tA_Store_Book\n");
    EXPECT_EQ(run.err, "marvik-cli: a saved word of 10000 characters is cut to its first 100: " + cut + "\n" +
                           "marvik-cli: 2 saved words have no sentence from the book: 1 whose book is not at hand, 1 "
                           "too long to be a word\n");

    const ChildResult wrong = Cli({"words", "--format", "html"});
    EXPECT_EQ(wrong.exitStatus, 2);
    EXPECT_TRUE(wrong.err.starts_with("marvik-cli: unknown format \"html\" for words: text, csv, json or anki\n"));
    const ChildResult missing = RunChild(MARVIK_CLI_EXECUTABLE, {"words", "--db", "nowhere.sqlite"}, m_work.Path());
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "database file not found: nowhere.sqlite\n");
}

// On the reader's volume the books are at hand: the word's sentence comes from its EPUB.
TEST(WordsOnTheReaderTest, EachWordWithTheSentenceOfItsBook) {
    TempFolder volume;
    fs::create_directories(volume / ".kobo");
    const fs::path database = volume / ".kobo" / "KoboReader.sqlite";
    {
        fixture::ReaderDatabase db(database);
        fixture::AddWholeRecordLibrary(db);
        db.AddShelfAndWordTables();
        db.AddSavedWord({"Fernweh", kRich, "-de", "2024-11-19T10:00:00Z"});
        db.AddSavedWord({"store", kStore, {}, "2024-11-19T11:00:00Z"});
    }
    const fs::path book = volume / "Ann Writer" / "Notes - Ann Writer.kepub.epub";
    fs::create_directories(book.parent_path());
    fixture::EpubMaker()
        .Package(R"(<item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>)", R"(<itemref idref="a"/>)")
        .Add("OEBPS/a.xhtml", "<html><body><p>Home. A deep fernweh, always. Away.</p></body></html>")
        .Write(book);

    const ChildResult run =
        RunChild(MARVIK_CLI_EXECUTABLE, {"words", "--db", database.string(), "--format", "csv"}, volume.Path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "word,language,book_title,volume_id,created,sentence\r\n"
                       "Fernweh,de,\"Notes: \"\"On\"\" Things\"," +
                           kRich +
                           ",2024-11-19T10:00:00.000Z,\"A deep fernweh, always.\"\r\n"
                           "store,,A Store Book," +
                           kStore + ",2024-11-19T11:00:00.000Z,\r\n");
    EXPECT_EQ(run.err, "marvik-cli: 1 saved word has no sentence from the book: 1 whose book is not at hand\n");
}

TEST_F(WordsAndPagesTest, EveryBookAsAPageAndOneIndexLinkingThemAll) {
    const ChildResult run = Cli({"export", "--all", "--format", "html"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const fs::path results = m_work / "results";
    EXPECT_EQ(run.out, std::string("results/untitled.epub.annotations_0000.html\n"
                                   "results/A Store Book - Bo Lind_0000.html\n"
                                   "results/Notes_ _On_ Things - Ann Writer_0000.html\n"
                                   "results/index.html\n"));
    const ChildResult index = RunChild(MARVIK_SYSTEM_PYTHON3,
                                       {MARVIK_HTML5_CHECK, (results / "index.html").string(), "index"}, m_work.Path());
    ASSERT_EQ(index.exitStatus, 0) << index.out << index.err;
    EXPECT_EQ(index.out, "outside: \n"
                         "title: Highlights and notes\n"
                         "h1: Highlights and notes\n"
                         "a untitled.epub.annotations_0000.html: untitled.epub\n"
                         "a A%20Store%20Book%20-%20Bo%20Lind_0000.html: A Store Book\n"
                         "a Notes_%20_On_%20Things%20-%20Ann%20Writer_0000.html: Notes: \"On\" Things\n");
    // Each page it links is there, and valid.
    for (const char* page : {"Notes_ _On_ Things - Ann Writer_0000.html", "A Store Book - Bo Lind_0000.html"}) {
        const ChildResult check =
            RunChild(MARVIK_SYSTEM_PYTHON3, {MARVIK_HTML5_CHECK, (results / page).string(), "page"}, m_work.Path());
        EXPECT_EQ(check.exitStatus, 0) << page << check.out;
    }
}

} // namespace
