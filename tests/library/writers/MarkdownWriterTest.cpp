// The Markdown export read back by a CommonMark parser (cmark), as a Markdown viewer reads it.
#include "FileContents.h"
#include "MarkdownAnnotationWriter.h"
#include "ReaderFolderTest.h"
#include "WholeRecordBooks.h"

#include <cmark.h>

#include <algorithm>
#include <fstream>
#include <random>

namespace {

using namespace fixture::records;

std::string TabsAsSpaces(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

// A node's text, line breaks as "\n", a block quote's paragraphs apart by an empty line.
std::string TextOf(cmark_node* node) {
    std::string text;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        const cmark_node_type type = cmark_node_get_type(child);
        if (type == CMARK_NODE_TEXT || type == CMARK_NODE_CODE || type == CMARK_NODE_HTML_INLINE)
            text += cmark_node_get_literal(child);
        else if (type == CMARK_NODE_SOFTBREAK || type == CMARK_NODE_LINEBREAK)
            text += "\n";
        else
            text += (type == CMARK_NODE_PARAGRAPH && !text.empty() ? "\n\n" : "") + TextOf(child);
    }
    return text;
}

struct Parsed {
    std::string title;               // the front matter's, read back
    std::vector<std::string> blocks; // "kind: text", kind h1, h2, quote, p, or em for a paragraph of one emphasis
    std::vector<std::string> madeOf; // syntax that no text should make: lists, code, HTML, links, other emphasis
};

Parsed Parse(const std::string& file) {
    Parsed parsed;
    // Viewers take the front matter off before they parse the rest.
    const std::size_t end = file.starts_with("---\n") ? file.find("\n---\n") : std::string::npos;
    const std::size_t title = file.find("\ntitle: \"");
    EXPECT_TRUE(end != std::string::npos && title < end) << file;
    for (std::size_t i = title + 9; i < end && file[i] != '"' && file[i] != '\n'; ++i) {
        const bool escaped = file[i] == '\\';
        const char c = file[i += escaped];
        parsed.title += escaped && c == 'n' ? '\n' : escaped && c == 't' ? '\t' : c;
    }
    const std::string body = end == std::string::npos ? "" : file.substr(end + 5);
    cmark_node* document = cmark_parse_document(body.data(), body.size(), CMARK_OPT_DEFAULT);
    for (cmark_node* block = cmark_node_first_child(document); block; block = cmark_node_next(block)) {
        const cmark_node_type type = cmark_node_get_type(block);
        cmark_node* first = cmark_node_first_child(block);
        std::string kind = type == CMARK_NODE_BLOCK_QUOTE ? "quote" : cmark_node_get_type_string(block);
        if (type == CMARK_NODE_HEADING)
            kind = "h" + std::to_string(cmark_node_get_heading_level(block));
        else if (type == CMARK_NODE_PARAGRAPH)
            kind = first && !cmark_node_next(first) && cmark_node_get_type(first) == CMARK_NODE_EMPH ? "em" : "p";
        parsed.blocks.push_back(kind + ": " + TextOf(block));
    }
    cmark_iter* iter = cmark_iter_new(document);
    for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
        cmark_node* node = cmark_iter_get_node(iter);
        const cmark_node_type type = cmark_node_get_type(node);
        const bool ownEmphasis = type == CMARK_NODE_EMPH && !cmark_node_previous(node) && !cmark_node_next(node);
        const bool ownNote = type == CMARK_NODE_STRONG && !cmark_node_previous(node) && TextOf(node) == "Note:";
        if (event == CMARK_EVENT_ENTER && !ownEmphasis && !ownNote &&
            (type == CMARK_NODE_LIST || type == CMARK_NODE_CODE_BLOCK || type == CMARK_NODE_HTML_BLOCK ||
             type == CMARK_NODE_THEMATIC_BREAK || type >= CMARK_NODE_CODE))
            parsed.madeOf.push_back(cmark_node_get_type_string(node));
    }
    cmark_iter_free(iter);
    cmark_node_free(document);
    return parsed;
}

class MarkdownWriterTest : public ReaderFolderTest {
protected:
    Parsed Export(const std::string& volume, ReadingOptions reading = {}) {
        const ExportOptions options{.overrideExisting = true, .format = ExportFormat::Markdown, .reading = reading};
        Load(reading);
        const std::filesystem::path target = library.ExportTarget(volume, results, options);
        EXPECT_EQ(target.extension(), ".md");
        file = fixture::FileBytes(library.ExtractAnnotations(volume, target, options, progress).file);
        EXPECT_TRUE(file.starts_with("---\n") && file.find('\r') == std::string::npos && !file.ends_with("\n\n"));
        return Parse(file);
    }
    std::string file;
    const std::string dot = " \xC2\xB7 ";
};

TEST_F(MarkdownWriterTest, TheRichBookReadsBackAsItsRecords) {
    fixture::AddWholeRecordLibrary(reader);
    std::filesystem::create_directory(folder / "markups");
    std::ofstream(folder / "markups/r5.svg") << "<svg/>";
    const Parsed parsed = Export(kRich);
    EXPECT_EQ(parsed.title, "Notes: \"On\" Things");
    EXPECT_NE(file.find("\ndate: \"" + TodayLocalDate() + "\"\n"), std::string::npos);
    std::vector<std::string> blocks;
    std::transform(parsed.blocks.begin(), parsed.blocks.end(), std::back_inserter(blocks), TabsAsSpaces);
    EXPECT_EQ(blocks,
              (std::vector<std::string>{"h1: Notes: \"On\" Things", "p: Ann Writer",
                                        "p: Small Press" + dot + "ISBN 9780000000002" + dot + "language: en", "h2: One",
                                        "quote: First line,\nsecond \"line\".", "p: Note: a note, with \"quotes\"",
                                        "em: 10.0 %" + dot + "yellow" + dot + "2024-11-18T17:45:50.886",
                                        "quote: # not a heading > not a quote\n* not a list [not](a link)",
                                        "p: Note: Why?", "em: 20.0 %" + dot + "pink" + dot + "2024-11-18T17:46:10.120",
                                        "quote: \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 "
                                        "\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85",
                                        "em: 30.0 %" + dot + "blue" + dot + "2024-11-18T17:47:00.000", "h2: Two",
                                        "em: Page bookmark at 40.0 %" + dot + "2024-11-19T21:10:05.000",
                                        "em: Drawing: " + (folder / "markups/r5.svg").string() + dot + "40.0 %"}))
        << file;
    EXPECT_EQ(parsed.madeOf, std::vector<std::string>()) << file;

    const Parsed withDeleted = Export(kRich, {.skipDeletedHighlights = false});
    EXPECT_EQ(
        std::vector<std::string>(withDeleted.blocks.end() - 2, withDeleted.blocks.end()),
        (std::vector<std::string>{"quote: Deleted.", "em: 94.0 %" + dot + "green" + dot + "2024-11-20T08:00:00.000" +
                                                         dot + "deleted on the reader"}));
}

TEST_F(MarkdownWriterTest, BooksWithoutDatesColoursOrTitles) {
    fixture::AddWholeRecordLibrary(reader);
    EXPECT_EQ(Export(kStore).blocks,
              (std::vector<std::string>{"h1: A Store Book", "p: Bo Lind", "h2: Start", "quote: Bought text."}));
    const Parsed untitled = Export(kUntitled);
    EXPECT_EQ(untitled.title, "untitled.epub");
    EXPECT_EQ(untitled.blocks,
              (std::vector<std::string>{"h1: untitled.epub", "h2: untitled.html", "quote: No title here."}));
}

TEST(MarkdownWriterFileTest, RandomMarkdownSyntaxReadsBackAsText) {
    std::vector<std::string> pieces = {"&amp;", "<!--", "```", "---", "***",     "1. ",
                                       "2) ",   "- ",   "> ",  "# ",  "a\u00A0a"};
    for (const char c : std::string_view("\\`*_{}[]()#+-.!|<>=~&:\"$19a \t"))
        pieces.emplace_back(1, c);
    std::mt19937 random(20241118);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int lines = 1 + random() % 3; lines > 0; --lines) {
            std::string line = "x";
            for (int n = random() % 8; n > 0; --n)
                line = random() % 2 ? line + pieces[random() % pieces.size()] : pieces[random() % pieces.size()] + line;
            const std::size_t first = line.find_first_not_of(" \t"), last = line.find_last_not_of(" \t");
            text += (text.empty() ? "" : "\n") + line.substr(first, last - first + 1);
        }
        AnnotatedVolume volume;
        volume.title = volume.parts.emplace_back().title = text;
        volume.parts[0].contentId = "c";
        volume.parts[0].found = true;
        AnnotatedBookmark& bookmark = volume.bookmarks.emplace_back();
        bookmark.text = bookmark.annotation = bookmark.color = text;
        const Parsed parsed = Parse(MarkdownAnnotationWriter("2025-01-31").Render(volume));
        std::string line = TabsAsSpaces(text);
        std::replace(line.begin(), line.end(), '\n', ' ');
        ASSERT_EQ(parsed.title, text);
        ASSERT_EQ(parsed.blocks, (std::vector<std::string>{"h1: " + line, "h2: " + line, "quote: " + text,
                                                           "p: Note: " + text, "em: " + line}));
        ASSERT_EQ(parsed.madeOf, std::vector<std::string>());
    }
    EXPECT_EQ(markdown::YamlQuoted("a\"\\\n\x01\xC2\x85\xE2\x80\xA8\xFF"),
              "\"a\\\"\\\\\\n\\u0001\\u0085\\u2028\\uFFFD\"");
}

} // namespace
