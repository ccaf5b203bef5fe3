// The HTML page of a book, read back by a strict HTML5 parser: valid whatever the book holds, every text shown as
// text, nothing reached outside the page.
#include "EpubMaker.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "WholeRecordBooks.h"

#include <cstdio>
#include <memory>

namespace {

using namespace fixture::records;
using HtmlWriterTest = ReaderFolderTest;

// What html5-check.py says of the file.
std::string ReadBack(const std::filesystem::path& file) {
    const std::string command =
        std::string(MARVIK_SYSTEM_PYTHON3 " " MARVIK_HTML5_CHECK " '") + file.string() + "' page";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text(1 << 16, '\0');
    text.resize(pipe ? std::fread(text.data(), 1, text.size(), pipe.get()) : 0);
    return text;
}

TEST_F(HtmlWriterTest, HostileTextsStayTextAndThePageParsesStrictly) {
    fixture::AddWholeRecordLibrary(reader);
    fixture::AddRichBookShelves(reader);
    reader.Exec("UPDATE content SET Title = '<script>alert(\"t\")</script> & ''Co''', "
                "Attribution = 'A <b>B</b>', Language = 'en\" onload=\"x' WHERE ContentID = '" +
                kRich + "'");
    reader.Exec("UPDATE content SET Title = '</h2><img src=x onerror=alert(1)>' WHERE ContentID = '" + kRich +
                "!!ch1.xhtml'");
    // A control character and a byte that is no UTF-8 would each make the page invalid as they stand.
    reader.Exec("UPDATE Bookmark SET Annotation = CAST(X'3C2F703E3C7363726970743E01FF2622' AS TEXT) "
                "WHERE BookmarkID = 'r2'");
    Load();
    const ExportOptions html{.format = ExportFormat::Html};
    const std::filesystem::path file =
        library.ExtractAnnotations(kRich, library.ExportTarget(kRich, results, html), html, progress).file;
    EXPECT_EQ(file.extension(), ".html");
    const std::string arabic = "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9"
                               "\xD8\xA7\xD9\x84\xD9\x85";
    const std::string title = "<script>alert(\"t\")</script> & 'Co'";
    EXPECT_EQ(ReadBack(file),
              "outside: \n"
              "title: " +
                  title +
                  " \xE2\x80\x94 A <b>B</b>\n"
                  "h1: " +
                  title +
                  "\n"
                  "p.author: A <b>B</b>\n"
                  "p.facts: Small Press \xC2\xB7 ISBN 9780000000002 \xC2\xB7 language: en\" onload=\"x \xC2\xB7 "
                  "Collections: <b>Best</b> & \"more\", =HYPERLINK(1), To read \xC2\xB7 "
                  "\xE2\x98\x85\xE2\x98\x85\xE2\x98\x85\xE2\x98\x85\xE2\x98\x86 \xC2\xB7 status: finished\n"
                  "h2: </h2><img src=x onerror=alert(1)>\n"
                  "blockquote: First line,\nsecond \"line\".\n"
                  "p.note: a note, with \"quotes\"\n"
                  "blockquote: # not a heading\t> not a quote\n* not a list [not](a link)\n"
                  "p.note: </p><script>\xEF\xBF\xBD\xEF\xBF\xBD&\"\n"
                  "blockquote: " +
                  arabic +
                  "\n"
                  "h2: Two\n");
    const std::string bytes = fixture::FileBytes(file);
    // The colours the reader gave, the dates as times, the page bookmark and the drawing by name.
    EXPECT_NE(bytes.find("<article class=\"bookmark yellow\">"), std::string::npos);
    EXPECT_NE(bytes.find("<time datetime=\"2024-11-18T17:45:50.886Z\">2024-11-18 17:45 UTC</time>"), std::string::npos);
    EXPECT_NE(bytes.find("Page bookmark at 40.0 %"), std::string::npos);
    EXPECT_EQ(bytes.find("<html lang"), std::string::npos) << "a language that is no language tag is left out";
    EXPECT_NE(bytes.find("@media print"), std::string::npos);
}

} // namespace

// The cover beside the page is shown at its top, its name a link's address; the page still parses strictly.
TEST_F(HtmlWriterTest, ThePageShowsTheCoverBesideIt) {
    fixture::AddWholeRecordLibrary(reader);
    TempFolder volume;
    std::filesystem::create_directories(volume / "Ann Writer");
    fixture::EpubMaker()
        .Package(R"(<item id="c" href="c.gif" media-type="image/gif" properties="cover-image"/>)", "")
        .Add("OEBPS/c.gif", std::string("GIF89a\x58\x02\x20\x03", 10) + std::string(20, '\0'))
        .Write(volume / "Ann Writer" / "Notes - Ann Writer.kepub.epub");
    Load();
    const ExportOptions html{.format = ExportFormat::Html, .coverVolume = volume.Path()};
    const std::filesystem::path file =
        library.ExtractAnnotations(kRich, results / "A book #1.html", html, progress).file;
    EXPECT_TRUE(ReadBack(file).starts_with("outside: img\ntitle: ")) << ReadBack(file);
    EXPECT_NE(fixture::FileBytes(file).find("<img class=\"cover\" src=\"A%20book%20%231.cover.gif\""),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(results / "A book #1.cover.gif"));
}
