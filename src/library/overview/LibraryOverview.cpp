#include "LibraryOverview.h"

#include "BookShelves.h"
#include "ChapterTitles.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "StoredValues.h"
#include "VolumeReader.h"

#include <absl/container/flat_hash_map.h>
#include <charconv>
#include <cstdint>

namespace {

std::optional<double> Percent(std::string_view stored) {
    double value = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
    if (stored.empty() || error != std::errc() || end != stored.data() + stored.size())
        return std::nullopt;
    return value;
}

// Keyed by views of kept texts, and looked up by a row's text as it stands. The content table is looked up once a row,
// most rows in vain: an open table answers those from one small array.
template <class Value> using TextViewMap = absl::flat_hash_map<std::string_view, Value, std::hash<std::string_view>>;

} // namespace

OverviewRows ReadOverviewRows(ReaderConnection& reader, const ReadingOptions& options) {
    // Volumes and the parts that bookmarks lie in by their ids, in one table, so that each content row is looked up
    // once.
    struct Place {
        std::int64_t volume = -1;  // index into rows.volumes
        std::int64_t chapter = -1; // index into rows.chapters
    };
    // What titles each chapter, as the highlights pane and the exports find it: the content row of the bookmark's
    // ContentID as it stands (fragment and all), in a kepub book the table of contents' entry for its spine file.
    struct ChapterRow {
        std::string_view contentId; // kept
        bool found = false;
        std::string_view bookId; // of a kepub's spine file, kept; else empty
    };
    std::vector<ChapterRow> chapterRows;
    TextViewMap<Place> places;
    OverviewRows overview;
    TextStore& texts = *overview.texts;
    {
        ReaderQuery rows(reader, "Bookmark",
                         {"VolumeID", "BookmarkID", "ContentID", "Text", "Annotation", Optional("Hidden"),
                          Optional("Type"), Optional("Color"), Optional("DateCreated")});
        // The place of an id, made (with its id kept) at the id's first row.
        const auto placeOf = [&places, &texts](std::string_view id) {
            const auto place = places.find(id);
            return place != places.end() ? place : places.emplace(texts.Keep(id), Place{}).first;
        };
        while (rows.Step()) {
            const bool deleted = IsDeletedOnReader(rows.Text(5));
            if (deleted && options.skipDeletedHighlights)
                continue;
            // Each place is read before the next look-up, which may move the table's entries (never the texts its keys
            // view).
            const auto volumePlace = placeOf(rows.Text(0));
            if (volumePlace->second.volume < 0) {
                volumePlace->second.volume = static_cast<std::int64_t>(overview.volumes.size());
                overview.volumes.push_back(volumePlace->first);
            }
            const std::int64_t volume = volumePlace->second.volume;
            // Each part is numbered at its first bookmark and titled by the pass over the content table.
            const auto partPlace = placeOf(rows.Text(2));
            if (partPlace->second.chapter < 0) {
                partPlace->second.chapter = static_cast<std::int64_t>(overview.chapters.size());
                overview.chapters.emplace_back();
                chapterRows.push_back({partPlace->first, false, {}});
            }
            const std::int64_t chapter = partPlace->second.chapter;
            OverviewHighlight& highlight = overview.highlights.emplace_back();
            highlight.book = static_cast<std::uint32_t>(volume);
            highlight.bookmarkId = texts.Keep(rows.Text(1));
            highlight.text = texts.Keep(rows.Text(3));
            highlight.note = texts.Keep(rows.Text(4));
            highlight.chapter = static_cast<std::uint32_t>(chapter);
            highlight.type = texts.Keep(rows.Text(6));
            highlight.color = texts.Keep(StoredColorName(rows.Text(7)));
            highlight.date = texts.Keep(rows.Text(8));
            highlight.deleted = deleted;
        }
    }

    overview.percentRead.resize(overview.volumes.size());
    overview.imageIds.resize(overview.volumes.size());
    // The table of contents that titles a kepub's spine files is read in the same pass: a second pass over the
    // content table would take as long as this one.
    const bool toc = options.chapterTitlesFromToc && ChapterTitles::Readable(reader.Schema());
    const auto tocColumn = [toc](const char* name) { return toc ? Optional(name) : Unread(name); };
    ChapterTitles titles;
    bool spineFiles = false;
    {
        ReaderQuery rows(reader, "content",
                         {"ContentID", "Title", Optional("___PercentRead"), tocColumn("ContentType"),
                          tocColumn("BookID"), Optional("ImageId"),
                          toc ? QueryColumn(ChapterTitles::kIsTocRow) : Unread(ChapterTitles::kIsTocRow),
                          tocColumn(ChapterTitles::kSpineFileColumn), tocColumn(ChapterTitles::kIndexColumn),
                          tocColumn(ChapterTitles::kDepthColumn)});
        while (rows.Step()) {
            if (toc && rows.Text(6) == "1")
                titles.AddRow(rows.Text(4), rows.Text(7), rows.Text(1), rows.Text(8), rows.Text(0), rows.Text(9));
            const std::optional<std::string_view> contentId = rows.StoredText(0);
            const auto place = contentId ? places.find(*contentId) : places.end();
            if (place == places.end())
                continue;
            if (place->second.volume >= 0) {
                overview.percentRead[static_cast<std::size_t>(place->second.volume)] = Percent(rows.Text(2));
                overview.imageIds[static_cast<std::size_t>(place->second.volume)] = rows.Text(5);
            }
            if (place->second.chapter >= 0) {
                ChapterRow& row = chapterRows[static_cast<std::size_t>(place->second.chapter)];
                if (row.found)
                    continue;
                row.found = true;
                overview.chapters[static_cast<std::size_t>(place->second.chapter)] = texts.Keep(rows.Text(1));
                if (toc && rows.Text(3) == "9") {
                    row.bookId = texts.Keep(rows.Text(4));
                    spineFiles = true;
                }
            }
        }
    }
    for (std::size_t c = 0; c < chapterRows.size(); ++c) {
        const ChapterRow& row = chapterRows[c];
        if (!row.found)
            overview.chapters[c] = row.contentId;
        else if (spineFiles && !row.bookId.empty())
            if (const ChapterTitles::Chapter* chapter = titles.Find(row.bookId, row.contentId))
                overview.chapters[c] = texts.Keep(chapter->title);
    }
    overview.collections = ReadEveryCollection(reader);
    return overview;
}

LibraryOverview JoinOverview(OverviewRows rows, const LibraryIndex& index) {
    LibraryOverview overview;
    // Each volume's book, or none where the index does not list it.
    constexpr std::uint32_t kUnlisted = UINT32_MAX;
    std::vector<std::uint32_t> bookOf(rows.volumes.size(), kUnlisted);
    {
        TextViewMap<std::uint32_t> volumeOf;
        volumeOf.reserve(rows.volumes.size());
        for (std::size_t v = 0; v < rows.volumes.size(); ++v)
            volumeOf.emplace(rows.volumes[v], static_cast<std::uint32_t>(v));
        for (const std::string& volume : index.Volumes.Entries()) {
            const auto read = volumeOf.find(volume);
            if (read != volumeOf.end())
                bookOf[read->second] = static_cast<std::uint32_t>(overview.books.size());
            OverviewBook& book = overview.books.emplace_back();
            book.volumeId = volume;
            book.title = index.TitlePairs.ValueOf(volume);
            book.author = index.AuthorPairs.ValueOf(volume);
            book.sideloaded = volume.find('/') != std::string::npos;
            if (read != volumeOf.end()) {
                book.percentRead = rows.percentRead[read->second];
                book.imageId = std::move(rows.imageIds[read->second]);
            }
            if (const auto shelves = rows.collections.find(volume); shelves != rows.collections.end())
                book.collections = shelves->second;
        }
    }
    overview.highlights = std::move(rows.highlights);
    for (OverviewHighlight& highlight : overview.highlights)
        highlight.book = bookOf[highlight.book];
    std::erase_if(overview.highlights, [](const OverviewHighlight& highlight) { return highlight.book == kUnlisted; });
    std::vector<std::string_view> newest(overview.books.size());
    for (const OverviewHighlight& highlight : overview.highlights) {
        OverviewBook& facts = overview.books[highlight.book];
        facts.highlights += highlight.text.empty() ? 0 : 1;
        facts.notes += highlight.note.empty() ? 0 : 1;
        newest[highlight.book] = std::max(newest[highlight.book], highlight.date);
    }
    for (std::size_t b = 0; b < newest.size(); ++b)
        overview.books[b].lastHighlight = newest[b];
    overview.chapters = std::move(rows.chapters);
    overview.texts.push_back(std::move(rows.texts));
    return overview;
}

LibraryOverview ReadLibraryOverview(ReaderConnection& reader, const LibraryIndex& index,
                                    const ReadingOptions& options) {
    return JoinOverview(ReadOverviewRows(reader, options), index);
}
