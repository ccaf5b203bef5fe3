// The CSV export as a standard CSV reader (Python's csv module) reads it back.
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "WholeRecordBooks.h"

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

using namespace fixture::records;
using CsvWriterTest = ReaderFolderTest;

// The rows after the header as the reader gives them, one a line, fields joined by "|" (which no field here holds).
// asStored: first every cell a spreadsheet would evaluate, then each row's id, text and note as the README says to get
// back the stored text: one leading apostrophe taken off.
std::string ReadBack(const std::filesystem::path& file, bool asStored = false) {
    const std::string script =
        "import csv,sys\nrows = list(csv.reader(open(sys.argv[1], newline=\"\", encoding=\"utf-8-sig\"), "
        "strict=True))\nif sys.argv[2] == \"1\":\n"
        " print(\"formulas:\", *[c for r in rows for c in r if c[:1] and c[0] in \"=+-@\\t\\r\"])\n"
        " rows = [[c[1:] if c[:1] == chr(39) else c for c in (r[4], r[6], r[7])] for r in rows]\n"
        "for r in rows[1:]: print(*r, sep=\"|\")";
    const std::string command = MARVIK_PYTHON3 " -c '" + script + "' '" + file.string() + "' " + (asStored ? "1" : "0");
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string rows(1 << 16, '\0');
    rows.resize(pipe ? std::fread(rows.data(), 1, rows.size(), pipe.get()) : 0);
    return rows;
}

TEST_F(CsvWriterTest, AStandardReaderGetsEveryFieldBackByteForByte) {
    fixture::AddWholeRecordLibrary(reader);
    // Real databases store the two dates in two forms; the file gives both in one.
    reader.Exec("UPDATE Bookmark SET DateModified = '2024-11-18T17:45:50Z' WHERE BookmarkID = 'r1'");
    std::filesystem::create_directory(folder / "markups");
    std::ofstream(folder / "markups/r5.svg") << "<svg/>";
    Load();
    const auto exported = [&](const std::string& volume, bool skipDeleted) {
        const ExportOptions csv{.format = ExportFormat::Csv, .reading = {.skipDeletedHighlights = skipDeleted}};
        return library.ExtractAnnotations(volume, library.ExportTarget(volume, results, csv), csv, progress).file;
    };
    EXPECT_EQ(
        fixture::FileBytes(exported(kStore, true)),
        "\uFEFFbook_title,book_author,volume_id,chapter,bookmark_id,type,text,note,color,created,modified,position,"
        "deleted,image,isbn,identifier\r\nA Store Book,Bo Lind," +
            kStore + ",Start,s1,,Bought text.,,,,,,,,,\r\n");

    const std::string arabic = "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9"
                               "\xD8\xA7\xD9\x84\xD9\x85";
    const std::string book = "Notes: \"On\" Things|Ann Writer|" + kRich + "|";
    const std::string isbn = "|9780000000002|\n";
    const std::string rich =
        book +
        "One|r1|note|First line,\nsecond \"line\".|a note, with \"quotes\"|yellow|2024-11-18T17:45:50.886Z|"
        "2024-11-18T17:45:50.000Z|10.0||" +
        isbn + book +
        "One|r2|note|# not a heading\t> not a quote\n* not a list [not](a link)|Why?|pink|"
        "2024-11-18T17:46:10.120Z|2024-11-18T17:46:10.120Z|20.0||" +
        isbn + book + "One|r3|highlight|" + arabic + "||blue|2024-11-18T17:47:00.000Z|2024-11-18T17:47:00.000Z|30.0||" +
        isbn + book + "Two|r4|dogear||||2024-11-19T21:10:05.000Z|2024-11-19T21:10:05.000Z|40.0||" + isbn + book +
        "Two|r5|markup||||||40.0||" + (folder / "markups/r5.svg").string() + isbn;
    const std::filesystem::path file = exported(kRich, true);
    EXPECT_EQ(ReadBack(file), rich);
    // A TAB alone has the field quoted too, for readers that take it for a separator.
    EXPECT_NE(fixture::FileBytes(file).find(",highlight,\"" + arabic + "\",,blue,"), std::string::npos);
    EXPECT_EQ(ReadBack(exported(kRich, false)),
              rich + book +
                  "Two|r6|highlight|Deleted.||green|2024-11-20T08:00:00.000Z|2024-11-20T08:00:00.000Z|94.0|yes|" +
                  isbn);
}

// Cells a spreadsheet would evaluate, each dangerous first character once, in texts and notes: every cell shows as
// text, and taking one leading apostrophe off gives back what the database stores.
TEST_F(CsvWriterTest, ASpreadsheetShowsEveryCellAsTextAndTheStoredTextComesBack) {
    fixture::AddWholeRecordLibrary(reader);
    const std::pair<std::string, std::string> cells[] = {
        {"r1", "Text = '=1+1', Annotation = '+x'"},
        {"r2", "Text = '-Evet, dedi.', Annotation = '@SUM(A1)'"},
        {"r3", "Text = char(9) || 'TAB first', Annotation = char(13) || 'CR first'"},
        {"r4", "Text = '''=stored with its apostrophe', Annotation = ' -after a space'"},
    };
    for (const auto& [id, set] : cells)
        reader.Exec("UPDATE Bookmark SET " + set + " WHERE BookmarkID = '" + id + "'");
    Load();
    const ExportOptions csv{.format = ExportFormat::Csv};
    const std::filesystem::path file =
        library.ExtractAnnotations(kRich, library.ExportTarget(kRich, results, csv), csv, progress).file;
    const std::string bytes = fixture::FileBytes(file);
    EXPECT_NE(bytes.find(",note,'=1+1,'+x,yellow,"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find(",\"'-Evet, dedi.\",'@SUM(A1),"), std::string::npos) << bytes;
    EXPECT_EQ(ReadBack(file, true), "formulas:\n"
                                    "r1|=1+1|+x\n"
                                    "r2|-Evet, dedi.|@SUM(A1)\n"
                                    "r3|\tTAB first|\rCR first\n"
                                    "r4|'=stored with its apostrophe| -after a space\n"
                                    "r5||\n");
}

} // namespace
