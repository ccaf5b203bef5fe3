// marvik-cli words, an export of every book as HTML pages with their index, as Readwise's CSV and as one Kindle
// clippings file, end to end on a real database with saved words, collections and a rating.
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
        fixture::AddRichBookShelves(db);
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

// Every row of the CSV files as Python's csv module reads them: the highlight and its title, one a line.
std::string ReadwiseRows(const std::vector<fs::path>& files, const fs::path& folder) {
    std::vector<std::string> arguments = {
        "-c", "import csv,sys\n"
              "for f in sys.argv[1:]:\n"
              "  for r in csv.DictReader(open(f, newline='', encoding='utf-8'), strict=True):\n"
              "    print(repr(r['Highlight']), r['Title'], r['Location'])"};
    for (const fs::path& file : files)
        arguments.push_back(file.string());
    const ChildResult read = RunChild(MARVIK_SYSTEM_PYTHON3, arguments, folder);
    return read.err.empty() ? read.out : read.err;
}

TEST_F(WordsAndPagesTest, ReadwiseGetsEveryHighlightOnceAndClippingsOneFileForTheBooksAsked) {
    const ChildResult readwise = Cli({"export", "--all", "--format", "readwise", "--results", "rw"});
    ASSERT_EQ(readwise.exitStatus, 0) << readwise.err;
    std::vector<fs::path> files;
    for (std::size_t from = 0, end; (end = readwise.out.find('\n', from)) != std::string::npos; from = end + 1)
        files.emplace_back(m_work / readwise.out.substr(from, end - from));
    ASSERT_EQ(files.size(), 3u) << readwise.out;
    EXPECT_EQ(ReadwiseRows(files, m_work.Path()),
              "'No title here.' untitled.epub 1\n"
              "'Bought text.' A Store Book 1\n"
              "'First line,\\nsecond \"line\".' Notes: \"On\" Things 1\n"
              "'# not a heading\\t> not a quote\\n* not a list [not](a link)' Notes: \"On\" Things 2\n"
              "'\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85' "
              "Notes: \"On\" Things 3\n");

    const ChildResult all = Cli({"export", "--all", "--format", "clippings"});
    ASSERT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_EQ(all.out, "results/My Clippings_0000.txt\n");
    const ChildResult asked = Cli({"export", "--format", "clippings", kStore, "nowhere", kUntitled, "--override"});
    EXPECT_EQ(asked.exitStatus, 1);
    EXPECT_EQ(asked.out, "results/My Clippings.txt\n");
    EXPECT_EQ(asked.err, "not found: nowhere\n");
    const std::string clippings = fixture::FileBytes(m_work / "results" / "My Clippings.txt");
    EXPECT_TRUE(clippings.starts_with("\xEF\xBB\xBF"
                                      "A Store Book (Bo Lind)\r\n- Your Highlight on Location 1 |"))
        << clippings;
    EXPECT_NE(clippings.find("\r\n==========\r\n\xEF\xBB\xBFuntitled.epub\r\n- Your Highlight on Location 1 |"),
              std::string::npos)
        << "the books in the order asked";
    EXPECT_EQ(clippings.find("Notes: "), std::string::npos);
    const ChildResult plain = Cli({"export", "--format", "clippings", "--no-bom", "--stdout", kStore});
    EXPECT_EQ(plain.out, "A Store Book (Bo Lind)\r\n- Your Highlight on Location 1 | Added on\r\n\r\nBought text.\r\n"
                         "==========\r\n");
}

} // namespace
