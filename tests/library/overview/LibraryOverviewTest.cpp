// The overview of a whole library and the search across all its highlights, on real reader databases.
#include "HighlightSearch.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"
#include "SearchFolding.h"
#include "WholeRecordBooks.h"

#include <fstream>
#include <sstream>

namespace {

using namespace fixture::records;

HighlightFilter Colors(std::vector<std::string> colors) {
    HighlightFilter filter;
    filter.colors = std::move(colors);
    return filter;
}
HighlightFilter Types(std::vector<std::string> types) {
    HighlightFilter filter;
    filter.types = std::move(types);
    return filter;
}
HighlightFilter Days(std::string from, std::string to) {
    HighlightFilter filter;
    filter.from = std::move(from);
    filter.to = std::move(to);
    return filter;
}

class LibraryOverviewTest : public ReaderFolderTest {
protected:
    LibraryOverviewTest() { fixture::AddWholeRecordLibrary(reader); }

    LibraryOverview Overview(const ReadingOptions& options = {}) {
        Load(options);
        SilentProgress silent;
        return library.ReadOverview(options, silent).value();
    }
    static const OverviewBook& Book(const LibraryOverview& overview, const std::string& volumeId) {
        for (const OverviewBook& book : overview.books)
            if (book.volumeId == volumeId)
                return book;
        throw std::runtime_error("not listed: " + volumeId);
    }
    static std::vector<std::string> Ids(const LibraryOverview& overview, const std::vector<std::size_t>& found) {
        std::vector<std::string> ids;
        for (std::size_t i : found)
            ids.emplace_back(overview.highlights[i].bookmarkId);
        std::sort(ids.begin(), ids.end());
        return ids;
    }
};

TEST_F(LibraryOverviewTest, CountsDatesProgressAndKindPerBook) {
    reader.Exec("UPDATE content SET ___PercentRead = 42 WHERE ContentID = '" + kRich + "'");
    const LibraryOverview overview = Overview();

    ASSERT_EQ(overview.books.size(), 3u);
    const OverviewBook& rich = Book(overview, kRich);
    EXPECT_EQ(rich.title, "Notes: \"On\" Things");
    EXPECT_EQ(rich.author, "Ann Writer");
    EXPECT_EQ(rich.highlights, 3u) << "the deleted one, the dogear and the drawing hold no text here";
    EXPECT_EQ(rich.notes, 2u);
    EXPECT_EQ(rich.lastHighlight, "2024-11-19T21:10:05.000");
    EXPECT_EQ(rich.percentRead, 42.0);
    EXPECT_TRUE(rich.sideloaded);
    EXPECT_FALSE(Book(overview, kStore).sideloaded) << "a store book is named by its UUID";
    EXPECT_EQ(Book(overview, kStore).percentRead, std::nullopt);

    const auto r1 = std::find_if(overview.highlights.begin(), overview.highlights.end(),
                                 [](const OverviewHighlight& h) { return h.bookmarkId == "r1"; });
    ASSERT_NE(r1, overview.highlights.end());
    EXPECT_EQ(overview.ChapterOf(*r1), "One");
    EXPECT_EQ(r1->color, "yellow");
    EXPECT_EQ(r1->type, "note");

    ReadingOptions withDeleted;
    withDeleted.skipDeletedHighlights = false;
    EXPECT_EQ(Book(Overview(withDeleted), kRich).highlights, 4u);
}

// Every figure of an overview, a line each, to compare two readings.
std::string Dump(const LibraryOverview& overview) {
    std::ostringstream out;
    for (const OverviewBook& book : overview.books)
        out << book.volumeId << '|' << book.title << '|' << book.author << '|' << book.highlights << '|' << book.notes
            << '|' << book.lastHighlight << '|' << book.percentRead.value_or(-1) << '|' << book.sideloaded << '\n';
    for (const OverviewHighlight& h : overview.highlights)
        out << overview.books[h.book].volumeId << '|' << h.bookmarkId << '|' << h.text << '|' << h.note << '|'
            << overview.ChapterOf(h) << '|' << h.type << '|' << h.color << '|' << h.date << '|' << h.deleted << '\n';
    return out.str();
}

TEST_F(LibraryOverviewTest, ReadBesideTheIndexItIsTheOverviewReadAfterIt) {
    reader.Exec("UPDATE content SET ___PercentRead = 42 WHERE ContentID = '" + kRich + "'");
    for (const bool skipDeleted : {true, false}) {
        ReadingOptions options;
        options.skipDeletedHighlights = skipDeleted;
        const std::string after = Dump(Overview(options));
        std::optional<LibraryOverview> beside;
        SilentProgress silent;
        ASSERT_EQ(library.LoadDatabaseAndOverview(reader.Path(), silent, options, beside).kind,
                  LoadOutcome::Kind::Loaded);
        ASSERT_TRUE(beside);
        // Its chapters are headed beside the window, from the database it names, the search keeping the headings.
        ASSERT_TRUE(beside->headingsUnread);
        std::optional<ChapterHeadings> headings = ReadChapterHeadings(*beside);
        ASSERT_TRUE(headings);
        HighlightSearch search(*beside);
        search.SetHeadings(*headings);
        HeadChapters(*beside, std::move(*headings));
        EXPECT_FALSE(ReadChapterHeadings(*beside)) << "headed once";
        EXPECT_EQ(Dump(*beside), after);
        for (const OverviewHighlight& highlight : beside->highlights)
            EXPECT_EQ(search.ChapterOf(highlight), beside->ChapterOf(highlight));
    }
    // No database, no overview.
    std::optional<LibraryOverview> none;
    SilentProgress silent;
    EXPECT_EQ(library.LoadDatabaseAndOverview(reader.Path().string() + ".missing", silent, {}, none).kind,
              LoadOutcome::Kind::NotFound);
    EXPECT_FALSE(none);
}

TEST_F(LibraryOverviewTest, SearchIgnoresCaseAndAccentsAndKeepsToItsFilters) {
    reader.Exec("UPDATE Bookmark SET Text = 'Ça se passe à l''ÉCOLE' WHERE BookmarkID = 's1'");
    const LibraryOverview overview = Overview();
    const HighlightSearch search(overview);

    EXPECT_EQ(Ids(overview, search.Find("ecole", {})), std::vector<std::string>{"s1"});
    EXPECT_EQ(Ids(overview, search.Find("ca SE", {})), std::vector<std::string>{"s1"});
    EXPECT_EQ(Ids(overview, search.Find("QUOTES", {})), std::vector<std::string>{"r1"}) << "notes are searched";
    EXPECT_EQ(Ids(overview, search.Find("\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7", {})),
              std::vector<std::string>{"r3"});
    EXPECT_TRUE(search.Find("line,\nwhy", {}).empty()) << "text and note never join";

    EXPECT_EQ(Ids(overview, search.Find("", Colors({"pink", "blue"}))), (std::vector<std::string>{"r2", "r3"}));
    EXPECT_EQ(Ids(overview, search.Find("", Types({"note"}))), (std::vector<std::string>{"r1", "r2"}));
    EXPECT_EQ(Ids(overview, search.Find("", Days("2024-11-18", "2024-11-18"))),
              (std::vector<std::string>{"r1", "r2", "r3"}));
}

// All the words in any order, a quoted phrase as it stands, and the Turkish i with and without its dot like its
// capital.
TEST_F(LibraryOverviewTest, SearchFindsEveryWordInAnyOrderAndQuotedPhrases) {
    reader.Exec(
        "UPDATE Bookmark SET Text = 'The quick fox took the long road in Kas\xC4\xB1m.' WHERE BookmarkID = 's1'");
    reader.Exec("UPDATE Bookmark SET Text = 'A long and quick answer from \xC4\xB0stanbul.' WHERE BookmarkID = 'r1'");
    const LibraryOverview overview = Overview();
    const HighlightSearch search(overview);
    const std::vector<std::string> both{"r1", "s1"};
    const auto sorted = [&](const std::string& query) {
        std::vector<std::string> ids = Ids(overview, search.Find(query, {}));
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    EXPECT_EQ(sorted("quick long"), both);
    EXPECT_EQ(sorted("  LONG   quick "), both);
    EXPECT_EQ(sorted("\"quick fox\""), std::vector<std::string>{"s1"});
    EXPECT_EQ(sorted("\xE2\x80\x9Clong and quick\xE2\x80\x9D"), std::vector<std::string>{"r1"});
    EXPECT_TRUE(sorted("\"long quick\"").empty());
    EXPECT_TRUE(sorted("quick zebra").empty()) << "every word must be there";
    EXPECT_EQ(sorted("KASIM"), std::vector<std::string>{"s1"});
    EXPECT_EQ(sorted("kas\xC4\xB1m"), std::vector<std::string>{"s1"});
    EXPECT_EQ(sorted("ISTANBUL"), std::vector<std::string>{"r1"});
    EXPECT_EQ(sorted("istanbul"), std::vector<std::string>{"r1"});

    // Each word is marked where it stands; a phrase is marked whole.
    const std::string text = "The quick fox took the long road in Kas\xC4\xB1m.";
    const auto marked = [&](const std::string& query) {
        std::vector<std::string> parts;
        for (const auto& [begin, end] : FindFoldedTerms(text, FoldedSearchTerms(query)))
            parts.push_back(text.substr(begin, end - begin));
        return parts;
    };
    EXPECT_EQ(marked("LONG quick"), (std::vector<std::string>{"quick", "long"}));
    EXPECT_EQ(marked("\"quick fox\" fox"), std::vector<std::string>{"quick fox"});
    EXPECT_EQ(marked("kasim"), std::vector<std::string>{"Kas\xC4\xB1m"});
    EXPECT_TRUE(marked("   ").empty());
}

TEST(SearchFoldingTest, MarksTheMatchInTheOriginalText) {
    const std::string text = "Le Caf\xC3\xA9 \xC3\x89T\xC3\x89"; // "Le Café ÉTÉ"
    EXPECT_EQ(FoldForSearch(text).text, "le cafe ete");
    const auto cafe = FindFolded(text, FoldForSearch("CAFE").text);
    ASSERT_TRUE(cafe);
    EXPECT_EQ(text.substr(cafe->first, cafe->second - cafe->first), "Caf\xC3\xA9");
    const auto ete = FindFolded(text, "ete");
    ASSERT_TRUE(ete);
    EXPECT_EQ(text.substr(ete->first), "\xC3\x89T\xC3\x89");
    EXPECT_FALSE(FindFolded(text, "tea"));
}

TEST_F(LibraryOverviewTest, SelectedHighlightsAloneAreExported) {
    Load();
    ExportOptions options;
    options.format = ExportFormat::Markdown;
    const ExportResult result = library.ExtractSelectedAnnotations(kRich, {"r3", "r1"}, results, options, progress);

    ASSERT_EQ(result.outcome, ExportOutcome::Written);
    EXPECT_EQ(result.highlights, 2u);
    std::ifstream file(result.file);
    std::stringstream bytes;
    bytes << file.rdbuf();
    EXPECT_NE(bytes.str().find("a note, with"), std::string::npos);
    EXPECT_EQ(bytes.str().find("not a heading"), std::string::npos) << "r2 was not chosen";
    EXPECT_LT(bytes.str().find("First line"), bytes.str().find("\xD9\x85\xD8\xB1")) << "reading order kept";
}

} // namespace

namespace {

// Each highlight's chapter in the search results is the heading the highlights pane and the exports give its part.
class OverviewChaptersTest : public ReaderFolderTest {
protected:
    void ExpectTheExportsHeadings(const ReadingOptions& options) {
        Load(options);
        SilentProgress silent;
        const LibraryOverview overview = library.ReadOverview(options, silent).value();
        std::size_t compared = 0;
        for (const OverviewBook& book : overview.books) {
            const AnnotatedVolume volume = library.ReadVolume(book.volumeId, options, silent).value();
            for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
                const auto found = std::find_if(
                    overview.highlights.begin(), overview.highlights.end(),
                    [&](const OverviewHighlight& highlight) { return highlight.bookmarkId == bookmark.bookmarkId; });
                ASSERT_NE(found, overview.highlights.end()) << bookmark.bookmarkId;
                EXPECT_EQ(overview.ChapterOf(*found), volume.PartOf(bookmark).Heading()) << bookmark.bookmarkId;
                ++compared;
            }
        }
        EXPECT_GT(compared, 5u);
    }
};

// Kepub spine files titled from the table of contents (or not, when asked), a plain EPUB's parts, a store book whose
// bookmarks name their part with a "#fragment", a part without a content row.
TEST_F(OverviewChaptersTest, AreTheExportsHeadingsForEveryKindOfBook) {
    fixture::AddCurrentFirmwareLibrary(reader);
    ExpectTheExportsHeadings({.skipDeletedHighlights = false});
    ExpectTheExportsHeadings({.skipDeletedHighlights = false, .chapterTitlesFromToc = false});
}

TEST_F(OverviewChaptersTest, AreTheExportsHeadingsForWholeRecords) {
    fixture::AddWholeRecordLibrary(reader);
    ExpectTheExportsHeadings({.skipDeletedHighlights = false, .wholeRecords = true});
}

} // namespace
