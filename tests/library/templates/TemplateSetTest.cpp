// Notes rendered by template sets, from real reader databases: the presets, the user's own sets, and templates that
// cannot be used.
#include "BlockId.h"
#include "CmarkText.h"
#include "ETemplateError.h"
#include "FileContents.h"
#include "MarkdownAnnotationWriter.h"
#include "NoteText.h"
#include "ReaderFolderTest.h"
#include "RenderedExport.h"
#include "ScopedEnvironment.h"
#include "TemplateAnnotationWriter.h"
#include "TemplateVariables.h"
#include "WholeRecordBooks.h"
#include "YamlDocuments.h"

#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace fixture::records;

const std::string kDot = " \xC2\xB7 ";

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

void WriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

class TemplateSetTest : public ReaderFolderTest {
protected:
    void SetUp() override {
        fixture::AddWholeRecordLibrary(reader);
        fixture::AddRichBookFacts(reader, folder.Path());
    }

    // The file a Markdown export of the volume writes with the set (none: the Markdown writer's).
    std::string Render(const std::string& volume, const std::string& set, ReadingOptions reading = {}) {
        Load(reading);
        ExportOptions options{.format = ExportFormat::Markdown, .reading = reading};
        if (!set.empty())
            options.templates = TemplateSet::Named(set);
        return RenderAnnotations(library, volume, options, progress).value_or("");
    }
};

TEST_F(TemplateSetTest, TheMarkdownPresetWritesWhatTheMarkdownExportWrites) {
    for (const ReadingOptions reading : {ReadingOptions{}, ReadingOptions{.skipDeletedHighlights = false}})
        for (const std::string& volume : {kRich, kStore, kUntitled})
            EXPECT_EQ(Render(volume, "markdown", reading), Render(volume, "", reading)) << volume;

    // Text of every shape, drawings with their pictures: escaped alike, placed alike. (A title, author or heading of
    // spaces alone is left out by a template as empty, where the writer keeps its spaces.)
    const auto set = TemplateSet::Named("markdown");
    std::vector<std::string> pieces = {"&amp;", "<!--", "```", "---", "1. ",  "2) ",  "- ", "> ", "# ",    "==",  "%%",
                                       "[[",    "#tag", "^id", "\t",  "\r\n", "\n\n", " ",  "=",  "{{x}}", "\x01"};
    for (const char c : std::string_view("\\`*_[]()#+-.!|<>=~&:\"19a"))
        pieces.emplace_back(1, c);
    std::mt19937 random(20241118);
    for (int round = 0; round < 3000; ++round) {
        const auto text = [&] {
            std::string made;
            for (int n = random() % 6; n > 0; --n)
                made += pieces[random() % pieces.size()];
            return made;
        };
        const auto visible = [&] { return random() % 2 ? "x" + text() : text() + "x"; };
        AnnotatedVolume volume;
        volume.volumeId = "/mnt/onboard/" + visible();
        volume.title = round % 4 ? visible() : "", volume.author = visible();
        volume.publisher = round % 2 ? visible() : "", volume.isbn = round % 3 ? visible() : "";
        for (int p = 0; p < 2; ++p) {
            PartFacts& part = volume.parts.emplace_back();
            part.contentId = "c" + std::to_string(p), part.title = visible(), part.attribution = text();
            part.found = round % 3 != 0, part.depth = round % 5, part.startPercent = 10 * p, part.sizePercent = 10;
        }
        const std::string type[] = {"highlight", "note", "dogear", "markup", ""};
        for (int b = 0; b < 4; ++b) {
            AnnotatedBookmark& bookmark = volume.bookmarks.emplace_back();
            bookmark.bookmarkId = volume.Keep(text());
            bookmark.text = volume.Keep(text()), bookmark.annotation = volume.Keep(text());
            bookmark.color = volume.Keep(b % 2 ? "grey" : text()), bookmark.type = volume.Keep(type[random() % 5]);
            bookmark.part = static_cast<std::uint32_t>(b / 2), bookmark.deleted = random() % 2;
            bookmark.dateCreated = volume.Keep(b == 0 ? "" : "2024-11-18T17:45:50.886");
            bookmark.chapterProgress = 0.5;
            bookmark.markupImage = volume.Keep("pictures/" + text() + ".png");
            bookmark.markupImageKind = static_cast<MarkupImageKind>(random() % 3);
        }
        ASSERT_EQ(TemplateAnnotationWriter(set, "2025-01-31").Render(volume),
                  MarkdownAnnotationWriter("2025-01-31").Render(volume));
    }
}

// The top blocks of the Markdown as "kind: text" (h1, h2, quote, p, image for a paragraph of one image).
std::vector<std::string> BlocksOf(const std::string& markdown) {
    std::vector<std::string> blocks;
    cmark_node* document = cmark_parse_document(markdown.data(), markdown.size(), CMARK_OPT_DEFAULT);
    for (cmark_node* block = cmark_node_first_child(document); block; block = cmark_node_next(block)) {
        const cmark_node_type type = cmark_node_get_type(block);
        std::string kind = type == CMARK_NODE_BLOCK_QUOTE ? "quote" : cmark_node_get_type_string(block);
        if (type == CMARK_NODE_HEADING)
            kind = "h" + std::to_string(cmark_node_get_heading_level(block));
        else if (type == CMARK_NODE_PARAGRAPH)
            kind = "p";
        blocks.push_back(kind + ": " + TextOf(block));
    }
    cmark_node_free(document);
    return blocks;
}

TEST_F(TemplateSetTest, TheObsidianPresetGivesPropertiesCalloutsAndBlockIds) {
    const ExportOptions options{.overrideExisting = true,
                                .format = ExportFormat::Markdown,
                                .reading = {.skipDeletedHighlights = false},
                                .templates = TemplateSet::Named("obsidian")};
    Load(options.reading);
    const fs::path file =
        library.ExtractAnnotations(kRich, library.ExportTarget(kRich, results, options), options, progress).file;
    EXPECT_EQ(file, results / "Notes_ _On_ Things - Ann Writer.md");
    EXPECT_EQ(YamlDocuments(file), nlohmann::json::parse(R"([{"title": "Notes: \"On\" Things", "author": "Ann Writer",
        "publisher": "Small Press", "isbn": "9780000000002", "language": "en", "series": "Notes", "seriesNumber": 2,
        "progress": 45, "status": "reading", "lastRead": "2024-11-20T08:00:00.000Z", "timeSpentReadingSeconds": 3600,
        "highlights": 3, "notes": 2, "volumeId": "file:///mnt/onboard/Ann Writer/Notes - Ann Writer.kepub.epub",
        "storeBook": false, "exported": ")" + TodayLocalDate() +
                                                         R"("}])"));

    const std::string text = fixture::FileBytes(file);
    const std::string body = text.substr(text.find("\n---\n") + 5);
    const std::string drawing = "Drawing: " + (folder / "markups/r5.svg").string();
    EXPECT_EQ(BlocksOf(body),
              (std::vector<std::string>{
                  "h1: Notes: \"On\" Things", "p: Ann Writer",
                  "p: Small Press" + kDot + "ISBN 9780000000002" + kDot + "language: en", "h2: One",
                  "quote: [!yellow] 10.0 %" + kDot + "yellow" + kDot +
                      "2024-11-18T17:45:50.886Z\nFirst line,\nsecond \"line\".\n\nNote: a note, with \"quotes\"",
                  "p: ^r1",
                  "quote: [!pink] 20.0 %" + kDot + "pink" + kDot +
                      "2024-11-18T17:46:10.120Z\n# not a heading\t> not a quote\n* not a list [not](a link)\n\nNote: "
                      "Why?",
                  "p: ^r2",
                  "quote: [!blue] 30.0 %" + kDot + "blue" + kDot +
                      "2024-11-18T17:47:00.000Z\n\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t"
                      "\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85",
                  "p: ^r3", "h2: Two", "quote: [!quote] Page bookmark at 40.0 %" + kDot + "2024-11-19T21:10:05.000Z",
                  "p: ^r4", "quote: [!quote] " + drawing + kDot + "40.0 %", "p: ^r5",
                  "quote: [!green] 94.0 %" + kDot + "green" + kDot + "2024-11-20T08:00:00.000Z" + kDot +
                      "deleted on the reader\nDeleted.",
                  "p: ^r6"}))
        << text;

    // The pieces a sync merges: the front matter without its fences, a block per bookmark in reading order, the
    // deleted mark apart from the block it marks.
    Load(options.reading);
    const std::optional<AnnotatedVolume> volume =
        library.ReadVolume(kRich, {.skipDeletedHighlights = false, .wholeRecords = true}, progress);
    ASSERT_TRUE(volume);
    const RenderedNote note = options.templates->Render(*volume, "2026-12-06");
    EXPECT_EQ(note.name, "Notes: \"On\" Things - Ann Writer");
    EXPECT_EQ(note.volumeId, kRich);
    EXPECT_TRUE(note.frontMatter.starts_with("title: \"Notes: \\\"On\\\" Things\"\n")) << note.frontMatter;
    EXPECT_TRUE(note.frontMatter.ends_with("exported: \"2026-12-06\"\n")) << note.frontMatter;
    EXPECT_EQ(note.beforeBlocks, "\n# Notes: \"On\" Things\n\nAnn Writer\n\nSmall Press" + kDot + "ISBN 9780000000002" +
                                     kDot + "language: en\n\n");
    std::vector<std::string> ids;
    for (const RenderedBlock& block : note.blocks)
        ids.push_back(block.bookmarkId + (block.deletedOnReader ? " deleted" : ""));
    // Each chapter's heading is a block of its own, before the chapter's highlights.
    const std::string chapter = "chapter:" + kRich + "!!ch";
    EXPECT_EQ(ids, (std::vector<std::string>{chapter + "1.xhtml", "r1", "r2", "r3", chapter + "2.xhtml", "r4", "r5",
                                             "r6 deleted"}));
    EXPECT_EQ(note.blocks[0].text, "## One\n\n");
    EXPECT_EQ(note.blocks[1].text, "> [!yellow] 10.0 %" + kDot + "yellow" + kDot +
                                       "2024-11-18T17:45:50.886Z\n> First line,\n> second \"line\".\n>\n> **Note:** a "
                                       "note, with \"quotes\"\n\n^r1\n\n");
    EXPECT_EQ(note.deletedBefore, "**Deleted on the reader:**\n\n");
    EXPECT_EQ(note.deletedAfter, "");
    EXPECT_EQ(note.afterBlocks, "");
}

TEST_F(TemplateSetTest, TheLogseqPresetIsAnOutlineWithProperties) {
    const std::string note = Render(kRich, "logseq", {.skipDeletedHighlights = false});
    EXPECT_TRUE(note.starts_with("title:: Notes: \"On\" Things\nauthor:: Ann Writer\npublisher:: Small Press\n"))
        << note;
    const std::size_t blocks = note.find("\n\n- ");
    ASSERT_NE(blocks, std::string::npos) << note;
    // The page's properties, then outline blocks only: chapters at the top, each bookmark under its chapter with its
    // properties and its lines.
    std::istringstream lines(note.substr(blocks + 2));
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.starts_with("- ") || line.starts_with("\t- ") || line.starts_with("\t  ")) << line;
    EXPECT_NE(note.find("- ## One\n\t- 10.0 %" + kDot + "yellow" + kDot +
                        "2024-11-18T17:45:50.886Z\n\t  highlight-id:: r1\n\t  color:: yellow\n\t  > First line,\n\t  > "
                        "second \"line\".\n\t  **Note:** a note, with \"quotes\"\n"),
              std::string::npos)
        << note;
    // A deleted highlight's line of facts says so.
    EXPECT_TRUE(
        note.ends_with(kDot + "deleted on the reader\n\t  highlight-id:: r6\n\t  color:: green\n\t  > Deleted.\n"))
        << note;
}

TEST_F(TemplateSetTest, TemplatesThatCannotBeUsedAreNamedWithTheirFileAndLine) {
    const fixture::ScopedEnvironment home("XDG_CONFIG_HOME", folder / "config");
    const fs::path set = folder / "config/marvik/templates/broken";
    const std::string titleOnly = "---\ntitle: {{title}}\n---\n";
    const struct {
        std::string file;
        std::string text;
        std::string message; // after the file's path
    } cases[] = {
        {"book.mustache", titleOnly + "# {{titel}}\n{{{highlights}}}\n", ":4: unknown variable \"titel\""},
        {"book.mustache", "{{=<% %>=}}\n<%& highlights %>\n\n<% titel %>\n", ":4: unknown variable \"titel\""},
        {"book.mustache", "{{#chapters}}{{chapter}}{{/chapters}}\n{{chapter}}\n{{{highlights}}}",
         ":2: unknown variable \"chapter\""},
        {"book.mustache", "---\n{{{highlights}}}\n---\n{{{highlights}}}", ":2: unknown variable \"highlights\""},
        {"book.mustache", "{{#title}}\n{{{highlights}}}\n{{/title}}",
         ":2: {{{highlights}}} must stand outside every section"},
        {"book.mustache", "{{{highlights}}}\n{{highlights}}\n", ":2: {{{highlights}}} stands twice"},
        {"book.mustache", titleOnly + "# {{title}}\n", ": no {{{highlights}}} in it"},
        {"book.mustache", "---\ntitle: {{title}}\n",
         ":1: the front matter's \"---\" is never closed by a \"---\" line"},
        {"highlight.mustache", "{{#text}}\n{{text}}\n", ":1: unclosed section \"text\""},
        {"highlight.mustache", "> {{text}}\n{{/text}}\n", ":2: unopened section \"text\""},
        {"highlight.mustache", "> {{text}}\n\n{{note\n", ":3: unclosed tag"},
        {"highlight.mustache", "{{#text}}{{/note}}", ":1: unclosed section \"text\""},
        {"highlight.mustache", "{{> other}}", ":1: partials are not supported (\"other\")"},
        {"highlight.mustache", "\n{{chapters}}", ":2: \"chapters\" is a list: {{#chapters}}...{{/chapters}}"},
        {"highlight.mustache", "{{^quote}}x{{/quote}}", ":1: \"quote\" shapes what it holds: {{#quote}}...{{/quote}}"},
        {"name.mustache", "{{title}} {{text}}", ":1: unknown variable \"text\""},
        {"name.mustache", "{{#quote}}{{title}}{{/quote}}", ":1: unknown variable \"quote\""},
        {"deleted.mustache", "{{{block}}} {{title}}", ":1: unknown variable \"title\""},
        // Bytes that are no UTF-8 would make every note it writes one that later syncs refuse.
        {"highlight.mustache", "> {{text}}\r\n\r\n\xE9t\xE9 {{note}}\n", ":3: not UTF-8 text"},
        {"name.mustache", "{{title}} \xC0\xAF", ":1: not UTF-8 text"},
        // Nested too deep for the engine, found before it parses them; also behind other delimiters.
        {"highlight.mustache", "> {{text}}\n" + Repeated("{{#text}}", 12'000) + Repeated("{{/text}}", 12'000),
         ":2: sections nested more than 24 deep"},
        {"highlight.mustache",
         Repeated("{{#quote}}{{#indent}}\n", 20) + "{{text}}" + Repeated("{{/indent}}{{/quote}}", 20),
         ":13: sections nested more than 24 deep"},
        {"highlight.mustache", "{{={| |}=}}\n{|={{ }}=|}\n" + Repeated("{{^note}}", 30) + Repeated("{{/note}}", 30),
         ":3: sections nested more than 24 deep"},
        {"book.mustache", "{{#chapters}}\n{{#chapters}}{{/chapters}}\n{{/chapters}}{{{highlights}}}",
         ":2: {{#chapters}} inside {{#chapters}}"},
    };
    for (const auto& broken : cases) {
        fs::remove_all(set);
        WriteFile(set / broken.file, broken.text);
        try {
            TemplateSet::Named("broken");
            ADD_FAILURE() << broken.text;
        } catch (const ETemplateError& error) {
            EXPECT_EQ(error.what(), (set / broken.file).string() + broken.message);
        }
    }
    EXPECT_THROW(TemplateSet::Named("nothing"), ETemplateError);
    EXPECT_THROW(TemplateSet::Named((folder / "config").string()), ETemplateError); // no set's folder

    // A set names the note app it writes for in one word; another word is refused with its file.
    fs::remove_all(set);
    WriteFile(set / "highlight.mustache", "- {{text}}\n");
    WriteFile(set / "note-app.txt", "roam\n");
    try {
        TemplateSet::Named("broken");
        ADD_FAILURE() << "roam";
    } catch (const ETemplateError& error) {
        EXPECT_EQ(error.what(), (set / "note-app.txt").string() +
                                    ":1: unknown note app \"roam\": markdown, obsidian or "
                                    "logseq");
    }
    WriteFile(set / "note-app.txt", "logseq\n");
    EXPECT_EQ(TemplateSet::Named("broken")->NoteApp(), "logseq");
}

TEST_F(TemplateSetTest, UserSetsAreListedAndTakeWhatTheyLackFromTheMarkdownPreset) {
    const fixture::ScopedEnvironment home("XDG_CONFIG_HOME", folder / "config");
    const fs::path sets = folder / "config/marvik/templates";
    // The example of docs/templates.md, with Windows line ends.
    WriteFile(sets / "mine/highlight.mustache",
              "{{#firstOfChapter}}\r\n{{headingMarks}} {{chapter}}\r\n\r\n{{/firstOfChapter}}\r\n"
              "{{#indent}}- {{#text}}{{text}}{{/text}}{{^text}}{{label}}{{/text}}{{/indent}} ^{{blockId}}\r\n"
              "{{#note}}\r\n{{#indent}}  - {{note}}{{/indent}}\r\n{{/note}}\r\n");
    WriteFile(sets / "obsidian/name.mustache", "{{author}}: {{title}}\n");
    fs::create_directories(sets / "empty");
    std::vector<std::string> listed;
    for (const TemplateSetEntry& entry : ListTemplateSets())
        listed.push_back(entry.name + " " + entry.folder.string());
    EXPECT_EQ(listed, (std::vector<std::string>{"logseq ", "markdown ", "mine " + (sets / "mine").string(),
                                                "obsidian " + (sets / "obsidian").string()}));

    const std::string mine = Render(kRich, "mine");
    EXPECT_EQ(mine.substr(0, mine.find("\n---\n")), Render(kRich, "markdown").substr(0, mine.find("\n---\n")));
    EXPECT_NE(mine.find("\n\n## One\n\n- First line,\n  second \"line\". ^r1\n  - a note, with \"quotes\"\n- \\# not "
                        "a heading\t\\> not a quote\n  \\* not a list \\[not\\](a link) ^r2\n  - Why?\n"),
              std::string::npos)
        << mine;
    EXPECT_EQ(Render(kRich, (sets / "mine").string() + "/"), mine);

    Load();
    const RenderedNote note =
        TemplateSet::Named("obsidian")->Render(*library.ReadVolume(kRich, {.wholeRecords = true}, progress), "");
    EXPECT_EQ(note.name, "Ann Writer: Notes: \"On\" Things");
    EXPECT_TRUE(note.frontMatter.starts_with("title: ")) << note.frontMatter;

    // Without XDG_CONFIG_HOME, or with one that is no absolute path, the sets live in the home's .config.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(UserTemplatesFolder(), fs::path(std::getenv("HOME")) / ".config/marvik/templates");
}

// Every name a template may use is told in the documentation of the templates.
TEST(TemplateVariablesTest, EveryVariableIsDocumented) {
    const std::string documentation = fixture::FileBytes(MARVIK_TEMPLATES_DOC);
    std::vector<std::string_view> names = {"chapters", "collections", "highlights", "block", "quote", "indent"};
    for (const auto& variable : BookVariables())
        names.push_back(variable.name);
    for (const auto& variable : HighlightVariables())
        names.push_back(variable.name);
    for (const auto& variable : ChapterVariables())
        names.push_back(variable.name);
    for (const auto& variable : CollectionVariables())
        names.push_back(variable.name);
    for (const std::string_view name : names)
        EXPECT_NE(documentation.find("| `" + std::string(name) + "` |"), std::string::npos) << name;
}

} // namespace
