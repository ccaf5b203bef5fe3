// The words saved from the reader's dictionaries: read once each with their books, and the lists made of them,
// Anki's import read back as a CSV reader reads it.
#include "AnkiNotes.h"
#include "ReaderFolderTest.h"
#include "SavedWordsFormats.h"
#include "WholeRecordBooks.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

using namespace fixture::records;

class SavedWordsTest : public ReaderFolderTest {
protected:
    SavedWordsTest() {
        fixture::AddWholeRecordLibrary(reader);
        reader.AddShelfAndWordTables();
    }

    std::vector<SavedWord> Words() {
        reader.Close();
        return ReadSavedWords(reader.Path(), progress).value();
    }
};

// The rows after Anki's header lines as a CSV reader with Anki's settings gives them, one a line, fields joined by
// "|".
std::string AnkiRows(const std::filesystem::path& file) {
    const std::string script = "import csv,sys\nlines = open(sys.argv[1], newline=\"\", encoding=\"utf-8\").read()"
                               ".split(\"\\n\")\nwhile lines[0].startswith(\"#\"): lines.pop(0)\n"
                               "for r in csv.reader(lines, delimiter=\"\\t\", strict=True): r and print(*r, sep=\"|\")";
    const std::string command = MARVIK_PYTHON3 " -c '" + script + "' '" + file.string() + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string rows(1 << 16, '\0');
    rows.resize(pipe ? std::fread(rows.data(), 1, rows.size(), pipe.get()) : 0);
    return rows;
}

TEST_F(SavedWordsTest, EachWordOnceWithItsLanguageAndBookOldestFirst) {
    // An older table without its key may hold a word twice; the first saved counts.
    reader.Exec("DROP TABLE WordList; CREATE TABLE WordList (Text TEXT NOT NULL, VolumeId TEXT, DictSuffix TEXT, "
                "DateCreated TEXT)");
    reader.AddSavedWord({"Fernweh", kRich, "-de", "2024-11-19T10:00:00Z"});
    reader.AddSavedWord({"serendipity", kStore, "", "2024-11-18T09:00:00Z"});
    reader.AddSavedWord({"Fernweh", kStore, "-de", "2024-11-20T10:00:00Z"});
    reader.AddSavedWord({"lonely", {}, {}, {}});
    const std::vector<SavedWord> words = Words();
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(WordsText(words), "lonely\t\t\t\t\n"
                                "serendipity\t\tA Store Book\t2024-11-18T09:00:00.000Z\t\n"
                                "Fernweh\tde\tNotes: \"On\" Things\t2024-11-19T10:00:00.000Z\t\n");
    const nlohmann::json json = nlohmann::json::parse(WordsJson(words));
    EXPECT_EQ(json["words"][2], nlohmann::json::parse(R"({"word": "Fernweh", "language": "de",
        "book": "Notes: \"On\" Things", "volumeId": ")" +
                                                      kRich + R"(", "created": "2024-11-19T10:00:00.000Z"})"));
    EXPECT_EQ(WordsCsv(words).substr(0, 54), "word,language,book_title,volume_id,created,sentence\r\nl");

    // A database of older firmware keeps no words: none, and no error.
    reader.Exec("DROP TABLE WordList");
    EXPECT_TRUE(Words().empty());
}

TEST_F(SavedWordsTest, AnkiGetsItsHeaderAndOneCardPerWordTaggedWithTheBook) {
    reader.Exec("UPDATE content SET Title = 'A  Store\tBook' WHERE ContentID = '" + kStore + "'");
    reader.AddSavedWord({"Fernweh", kRich, "-de", "2024-11-19T10:00:00Z"});
    reader.AddSavedWord({"#hashtag \"quoted\"", kStore, {}, "2024-11-19T11:00:00Z"});
    std::string longWord;
    for (int i = 0; i < 10000; ++i)
        longWord += "\xC3\xA4"; // ä, two bytes: the cut falls between characters
    reader.AddSavedWord({longWord, {}, {}, "2024-11-19T12:00:00Z"});
    const std::vector<SavedWord> words = Words();
    ASSERT_EQ(words.size(), 3u);
    // Bounded, and how long it was is told.
    EXPECT_EQ(words[2].length, 10000u);
    EXPECT_EQ(words[2].text, longWord.substr(0, 200) + "\xE2\x80\xA6");
    EXPECT_NE(WordsJson(words).find("\"length\": 10000"), std::string::npos);

    const std::string anki = AnkiNotes(words);
    EXPECT_TRUE(anki.starts_with("#separator:tab\n#html:false\n#deck:Saved words\n#tags column:3\nFernweh\t")) << anki;
    const std::filesystem::path file = folder / "words.txt";
    std::ofstream(file, std::ios::binary) << anki;
    EXPECT_EQ(AnkiRows(file), "Fernweh|Notes: \"On\" Things \xC2\xB7 de|Notes:_\"On\"_Things\n"
                              "#hashtag \"quoted\"|A  Store Book|A_Store_Book\n" +
                                  words[2].text + "||\n");
}

} // namespace
