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
std::string ReadBack(const std::filesystem::path& file) {
    const std::string command = MARVIK_PYTHON3
                                " -c 'import csv,sys\nfor r in list(csv.reader(open(sys.argv[1], "
                                "newline=\"\", encoding=\"utf-8-sig\"), strict=True))[1:]: print(*r, sep=\"|\")' '" +
                                file.string() + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string rows(1 << 16, '\0');
    rows.resize(pipe ? std::fread(rows.data(), 1, rows.size(), pipe.get()) : 0);
    return rows;
}

TEST_F(CsvWriterTest, AStandardReaderGetsEveryFieldBackByteForByte) {
    fixture::AddWholeRecordLibrary(reader);
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
        "deleted,image\r\nA Store Book,Bo Lind," +
            kStore + ",Start,s1,,Bought text.,,,,,,,\r\n");

    const std::string arabic = "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9"
                               "\xD8\xA7\xD9\x84\xD9\x85";
    const std::string book = "Notes: \"On\" Things|Ann Writer|" + kRich + "|";
    const std::string rich =
        book +
        "One|r1|note|First line,\nsecond \"line\".|a note, with \"quotes\"|yellow|2024-11-18T17:45:50.886|"
        "2024-11-18T17:45:50.886|10.0||\n" +
        book +
        "One|r2|note|# not a heading\t> not a quote\n* not a list [not](a link)|Why?|pink|"
        "2024-11-18T17:46:10.120|2024-11-18T17:46:10.120|20.0||\n" +
        book + "One|r3|highlight|" + arabic + "||blue|2024-11-18T17:47:00.000|2024-11-18T17:47:00.000|30.0||\n" + book +
        "Two|r4|dogear||||2024-11-19T21:10:05.000|2024-11-19T21:10:05.000|40.0||\n" + book +
        "Two|r5|markup||||||40.0||" + (folder / "markups/r5.svg").string() + "\n";
    const std::filesystem::path file = exported(kRich, true);
    EXPECT_EQ(ReadBack(file), rich);
    // A TAB alone has the field quoted too, for readers that take it for a separator.
    EXPECT_NE(fixture::FileBytes(file).find(",highlight,\"" + arabic + "\",,blue,"), std::string::npos);
    EXPECT_EQ(ReadBack(exported(kRich, false)),
              rich + book +
                  "Two|r6|highlight|Deleted.||green|2024-11-20T08:00:00.000|2024-11-20T08:00:00.000|94.0|yes|\n");
}

} // namespace
