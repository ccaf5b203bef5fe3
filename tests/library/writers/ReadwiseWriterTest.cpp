// The Readwise CSV, read back by a standard CSV reader (Python's csv module): its header, and one row per highlight
// in reading order holding the exact texts.
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "ReadwiseAnnotationWriter.h"
#include "WholeRecordBooks.h"

#include <cstdio>
#include <memory>

namespace {

using namespace fixture::records;
using ReadwiseWriterTest = ReaderFolderTest;

// Every row, the header too, one a line, fields joined by "|" (which no field here holds).
std::string ReadBack(const std::filesystem::path& file) {
    const std::string script = "import csv,sys\nfor r in csv.reader(open(sys.argv[1], newline=\"\", "
                               "encoding=\"utf-8\"), strict=True): print(*r, sep=\"|\")";
    const std::string command = MARVIK_PYTHON3 " -c '" + script + "' '" + file.string() + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string rows(1 << 16, '\0');
    rows.resize(pipe ? std::fread(rows.data(), 1, rows.size(), pipe.get()) : 0);
    return rows;
}

TEST_F(ReadwiseWriterTest, OneRowPerHighlightInReadingOrderWithTheExactTexts) {
    fixture::AddWholeRecordLibrary(reader);
    // What the CSV export guards against a spreadsheet stays as stored: Readwise reads it, not a spreadsheet.
    reader.Exec("UPDATE Bookmark SET Annotation = '=1+1' WHERE BookmarkID = 'r3'");
    reader.Exec("UPDATE Bookmark SET DateModified = '2024-11-18T17:45:50Z' WHERE BookmarkID = 'r1'");
    // Deleted highlights are read, and still get no row: Readwise would bring them back.
    const ExportOptions readwise{.format = ExportFormat::Readwise, .reading = {.skipDeletedHighlights = false}};
    Load(readwise.reading);
    const std::filesystem::path file =
        library.ExtractAnnotations(kRich, library.ExportTarget(kRich, results, readwise), readwise, progress).file;
    EXPECT_EQ(file.filename(), "Notes_ _On_ Things - Ann Writer_0000.readwise.csv");
    const std::string bytes = fixture::FileBytes(file);
    EXPECT_TRUE(bytes.starts_with("Highlight,Title,Author,URL,Note,Location,Date\r\n")) << "no byte-order mark";
    EXPECT_NE(bytes.find(",=1+1,3,"), std::string::npos) << bytes;
    const std::string book = "|Notes: \"On\" Things|Ann Writer||";
    EXPECT_EQ(ReadBack(file),
              "Highlight|Title|Author|URL|Note|Location|Date\n"
              "First line,\nsecond \"line\"." +
                  book + "a note, with \"quotes\"|1|2024-11-18 17:45:50\n" +
                  "# not a heading\t> not a quote\n* not a list [not](a link)" + book + "Why?|2|2024-11-18 17:46:10\n" +
                  "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85" +
                  book + "=1+1|3|2024-11-18 17:47:00\n");

    // A book without a title goes under its file's name; a highlight without a date has none.
    const std::string untitled = fixture::FileBytes(
        library.ExtractAnnotations(kUntitled, library.ExportTarget(kUntitled, results, readwise), readwise, progress)
            .file);
    EXPECT_EQ(untitled, "Highlight,Title,Author,URL,Note,Location,Date\r\nNo title here.,untitled.epub,,,,1,\r\n");
    EXPECT_EQ(ReadwiseDate("2024-11-18 17:45:50.5+00:00"), "2024-11-18 17:45:50");
    EXPECT_EQ(ReadwiseDate("yesterday"), "");
}

} // namespace
