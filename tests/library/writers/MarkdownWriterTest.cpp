// The Markdown export read back by a CommonMark parser (cmark), as a Markdown viewer reads it.
#include "BlockId.h"
#include "CmarkText.h"
#include "FileContents.h"
#include "MarkdownAnnotationWriter.h"
#include "MarkdownFrontMatter.h"
#include "ReaderFolderTest.h"
#include "WholeRecordBooks.h"
#include "YamlDocuments.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <set>

namespace {

using namespace fixture::records;

std::string TabsAsSpaces(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

// What in the file a note-taking program reads as its own syntax: "==" marks, "%%" comments, "[[" links, "#" tags and
// "^" block ids anywhere but at a line's start, none of them escaped.
std::vector<std::string> NoteSyntaxIn(std::string_view body) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i], next = i + 1 < body.size() ? body[i + 1] : '\n';
        if (c == '\\') {
            ++i;
        } else if ((c == '=' || c == '%' || c == '[') && next == c) {
            found.push_back(std::string(2, c));
        } else if (c == '#' && next != '#' && next != ' ' && next != '\n') {
            found.push_back("#tag");
        } else if (c == '^' && i > 0 && body[i - 1] != '\n') {
            found.push_back("^id");
        }
    }
    return found;
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
        path = library.ExtractAnnotations(volume, target, options, progress).file;
        file = fixture::FileBytes(path);
        EXPECT_TRUE(file.starts_with("---\n") && file.find('\r') == std::string::npos && !file.ends_with("\n\n"));
        return Parse(file);
    }
    std::filesystem::path path;
    std::string file;
    const std::string dot = " \xC2\xB7 ";
};

TEST_F(MarkdownWriterTest, TheRichBookReadsBackAsItsRecords) {
    fixture::AddWholeRecordLibrary(reader);
    fixture::AddRichBookFacts(reader, folder.Path());
    const Parsed parsed = Export(kRich);
    EXPECT_EQ(parsed.title, "Notes: \"On\" Things");
    EXPECT_EQ(YamlDocuments(path), nlohmann::json::parse(R"([{"title": "Notes: \"On\" Things", "author": "Ann Writer",
        "publisher": "Small Press", "language": "en", "isbn": "9780000000002", "series": "Notes", "seriesNumber": 2,
        "progress": 45, "status": "reading", "lastRead": "2024-11-20T08:00:00.000Z", "timeSpentReadingSeconds": 3600,
        "volumeId": "file:///mnt/onboard/Ann Writer/Notes - Ann Writer.kepub.epub", "storeBook": false,
        "date": ")" + TodayLocalDate() + R"("}])"));
    std::vector<std::string> blocks;
    std::transform(parsed.blocks.begin(), parsed.blocks.end(), std::back_inserter(blocks), TabsAsSpaces);
    EXPECT_EQ(blocks, (std::vector<std::string>{"h1: Notes: \"On\" Things",
                                                "p: Ann Writer",
                                                "p: Small Press" + dot + "ISBN 9780000000002" + dot + "language: en",
                                                "h2: One",
                                                "quote: First line,\nsecond \"line\".",
                                                "p: ^r1",
                                                "p: Note: a note, with \"quotes\"",
                                                "em: 10.0 %" + dot + "yellow" + dot + "2024-11-18T17:45:50.886Z",
                                                "quote: # not a heading > not a quote\n* not a list [not](a link)",
                                                "p: ^r2",
                                                "p: Note: Why?",
                                                "em: 20.0 %" + dot + "pink" + dot + "2024-11-18T17:46:10.120Z",
                                                "quote: \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 "
                                                "\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85",
                                                "p: ^r3",
                                                "em: 30.0 %" + dot + "blue" + dot + "2024-11-18T17:47:00.000Z",
                                                "h2: Two",
                                                "em: Page bookmark at 40.0 %" + dot + "2024-11-19T21:10:05.000Z",
                                                "p: ^r4",
                                                "em: Drawing: " + (folder / "markups/r5.svg").string() + dot + "40.0 %",
                                                "p: ^r5"}))
        << file;
    EXPECT_EQ(parsed.madeOf, std::vector<std::string>()) << file;

    const Parsed withDeleted = Export(kRich, {.skipDeletedHighlights = false});
    EXPECT_EQ(std::vector<std::string>(withDeleted.blocks.end() - 3, withDeleted.blocks.end()),
              (std::vector<std::string>{"quote: Deleted.", "p: ^r6",
                                        "em: 94.0 %" + dot + "green" + dot + "2024-11-20T08:00:00.000Z" + dot +
                                            "deleted on the reader"}));
}

TEST_F(MarkdownWriterTest, BooksWithoutDatesColoursOrTitles) {
    fixture::AddWholeRecordLibrary(reader);
    EXPECT_EQ(Export(kStore).blocks, (std::vector<std::string>{"h1: A Store Book", "p: Bo Lind", "h2: Start",
                                                               "quote: Bought text.", "p: ^s1"}));
    EXPECT_EQ(YamlDocuments(path).at(0).at("storeBook"), true);
    const Parsed untitled = Export(kUntitled);
    EXPECT_EQ(untitled.title, "untitled.epub");
    EXPECT_EQ(untitled.blocks,
              (std::vector<std::string>{"h1: untitled.epub", "h2: untitled.html", "quote: No title here.", "p: ^u1"}));
    EXPECT_EQ(YamlDocuments(path), nlohmann::json::parse(R"([{"title": "untitled.epub", "author": "",
        "volumeId": "/mnt/onboard/untitled.epub", "storeBook": false, "date": ")" +
                                                         TodayLocalDate() + R"("}])"));
}

// A plain EPUB's parts are its table-of-contents entries and keep their own Depth; a kepub's spine files keep 0 and
// take the Depth of the entry that gives their title. Depths below 1 or beyond Markdown's six levels stay within them.
TEST_F(MarkdownWriterTest, ChapterHeadingsFollowTheTableOfContents) {
    const std::string epub = "file:///mnt/onboard/parts.epub", kepub = "file:///mnt/onboard/parts.kepub.epub";
    reader.AddBook({.volumeId = epub, .title = "Parts"});
    reader.AddBook({.volumeId = kepub, .title = "Kepub Parts"});
    const std::pair<const char*, std::int64_t> epubParts[] = {{"Part", 1},    {"Chapter", 2}, {"Section", 3},
                                                              {"Chapter", 2}, {"Deep", 9},    {"Outside", 0}};
    const std::pair<const char*, std::int64_t> kepubParts[] = {{"Book", 1}, {"Chapter", 2}, {"Scene", 3}};
    int n = 0;
    for (const auto& [title, depth] : epubParts) {
        const std::string id = epub + "#(" + std::to_string(n) + ")part" + std::to_string(n) + ".xhtml";
        reader.AddPart({.contentId = id, .bookId = epub, .title = title, .volumeIndex = n, .depth = depth});
        reader.AddBookmark({.bookmarkId = "e" + std::to_string(n++), .volumeId = epub, .contentId = id, .text = "t"});
    }
    for (const auto& [title, depth] : kepubParts) {
        const std::string spine = kepub + "!!part" + std::to_string(n) + ".xhtml";
        reader.AddPart({.contentId = spine, .bookId = kepub, .title = spine, .volumeIndex = n, .depth = 0});
        reader.AddPart({.contentId = spine + "-1",
                        .bookId = kepub,
                        .title = title,
                        .volumeIndex = n,
                        .contentType = "899",
                        .chapterIdBookmarked = spine,
                        .depth = depth});
        reader.AddBookmark(
            {.bookmarkId = "k" + std::to_string(n++), .volumeId = kepub, .contentId = spine, .text = "t"});
    }
    const auto headings = [](const Parsed& parsed) {
        std::vector<std::string> found;
        std::copy_if(parsed.blocks.begin() + 1, parsed.blocks.end(), std::back_inserter(found),
                     [](const std::string& block) { return block.starts_with("h"); });
        return found;
    };
    EXPECT_EQ(headings(Export(epub)), (std::vector<std::string>{"h2: Part", "h3: Chapter", "h4: Section", "h3: Chapter",
                                                                "h6: Deep", "h2: Outside"}));
    EXPECT_EQ(headings(Export(kepub)), (std::vector<std::string>{"h2: Book", "h3: Chapter", "h4: Scene"}));
}

// Block ids hold only what note-taking programs take, stay the same in every export, and differ for different
// bookmark ids, also where those differ only in letter case or in characters the block id leaves out.
TEST(MarkdownBlockIdTest, StableAndDistinct) {
    const std::vector<std::string> ids = {"r1",       "R1",  "5a0f2c7e-3b8d-4e1a-9c6f-8d2e4b7a1f03",
                                          "a b",      "a/b", "ab",
                                          "a_b",      "",    "\xC3\xA9t\xC3\xA9",
                                          "\xC3\xA9", "-",   "a-b"};
    std::set<std::string> blockIds;
    for (const std::string& id : ids) {
        const std::string blockId = BlockId(id);
        EXPECT_FALSE(blockId.empty());
        EXPECT_EQ(blockId.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"), std::string::npos) << blockId;
        blockIds.insert(blockId);
    }
    EXPECT_EQ(blockIds.size(), ids.size());
    // Written once, they name the same blocks in every later export.
    EXPECT_EQ(BlockId("5a0f2c7e-3b8d-4e1a-9c6f-8d2e4b7a1f03"), "5a0f2c7e-3b8d-4e1a-9c6f-8d2e4b7a1f03");
    EXPECT_EQ(BlockId("R1"), "r1-0c044bcc");
}

// Titles YAML would read as something else: a mapping, a list, a comment, a number, a boolean, null, a document's
// end, an alias, a tag, a block scalar; quotes, escapes, line breaks and bytes that are no UTF-8.
TEST(MarkdownFrontMatterTest, NastyValuesReadBackAsTheirText) {
    const std::vector<std::string> nasty = {"Title: Subtitle",
                                            "- item",
                                            "[a, b]",
                                            "{a: b}",
                                            "# comment",
                                            "123",
                                            "0x1F",
                                            "true",
                                            "null",
                                            "~",
                                            "---",
                                            "...",
                                            "&anchor",
                                            "*alias",
                                            "!!tag",
                                            "| block",
                                            "> folded",
                                            "'single'",
                                            "\"double\"",
                                            "back\\slash",
                                            "@at `tick`",
                                            "%YAML",
                                            " spaced ",
                                            "line\nbreak\ttab\r",
                                            "\x01\x7F\xC2\x85\xE2\x80\xA8\xEF\xBB\xBF",
                                            "\xFF\xFE"
                                            "bad",
                                            "\xF0\x9F\x93\x96 book"};
    TempFolder folder;
    std::ofstream yaml(folder / "front.yaml", std::ios::binary);
    nlohmann::json expected = nlohmann::json::array();
    for (const std::string& value : nasty) {
        AnnotatedVolume volume;
        volume.volumeId = volume.author = volume.publisher = volume.series = volume.isbn = value;
        volume.seriesNumber = volume.percentRead = volume.readStatus = volume.timeSpentReading = value;
        volume.dateLastRead = value;
        yaml << markdown::FrontMatter(volume, value, value);
        const std::string text = value == "\xFF\xFE"
                                          "bad"
                                     ? "\uFFFD\uFFFDbad"
                                     : value;
        expected.push_back({{"title", text},
                            {"author", text},
                            {"publisher", text},
                            {"identifier", text},
                            {"series", text},
                            {"seriesNumber", text},
                            {"progress", text},
                            {"status", text},
                            {"lastRead", text},
                            {"timeSpentReadingSeconds", text},
                            {"volumeId", text},
                            {"storeBook", true},
                            {"date", text}});
    }
    yaml.close();
    const nlohmann::json documents = YamlDocuments(folder / "front.yaml");
    ASSERT_TRUE(documents.is_array()) << fixture::FileBytes(folder / "front.yaml");
    for (std::size_t i = 0; i < nasty.size(); ++i) {
        if (nasty[i] == "123") // a plain number stands bare
            expected[i]["seriesNumber"] = expected[i]["progress"] = expected[i]["timeSpentReadingSeconds"] = 123;
        EXPECT_EQ(documents.at(i), expected[i]) << nasty[i];
    }
}

TEST(MarkdownWriterFileTest, RandomMarkdownSyntaxReadsBackAsText) {
    std::vector<std::string> pieces = {"&amp;", "<!--",     "```", "---", "***", "1. ", "2) ",  "- ",   "> ",
                                       "# ",    "a\u00A0a", "==",  "%%",  "[[",  "]]",  "#tag", " ^id", "^block"};
    for (const char c : std::string_view("\\`*_{}[]()#+-.!|<>=~&:\"$19a \t%^"))
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
        const std::string markdown = MarkdownAnnotationWriter("2025-01-31").Render(volume);
        const Parsed parsed = Parse(markdown);
        std::string line = TabsAsSpaces(text);
        std::replace(line.begin(), line.end(), '\n', ' ');
        ASSERT_EQ(parsed.title, text);
        ASSERT_EQ(parsed.blocks, (std::vector<std::string>{"h1: " + line, "h2: " + line, "quote: " + text,
                                                           "p: ^" + BlockId(""), "p: Note: " + text, "em: " + line}));
        ASSERT_EQ(parsed.madeOf, std::vector<std::string>());
        ASSERT_EQ(NoteSyntaxIn(markdown.substr(markdown.find("\n---\n") + 5)), std::vector<std::string>()) << markdown;
    }
    EXPECT_EQ(markdown::YamlQuoted("a\"\\\n\x01\xC2\x85\xE2\x80\xA8\xFF"),
              "\"a\\\"\\\\\\n\\u0001\\u0085\\u2028\\uFFFD\"");
}

} // namespace
