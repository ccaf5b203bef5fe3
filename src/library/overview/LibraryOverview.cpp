#include "LibraryOverview.h"

#include "BookShelves.h"
#include "ChapterTitles.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "StoredValues.h"
#include "VolumeReader.h"

#include <charconv>
#include <cstdint>
#include <unordered_map>

namespace {

std::optional<double> Percent(std::string_view stored) {
    double value = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
    if (stored.empty() || error != std::errc() || end != stored.data() + stored.size())
        return std::nullopt;
    return value;
}

// Looked up by a row's text as it stands, without making a string of it.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};
template <class Value> using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

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
        std::string_view contentId; // a key of places
        bool found = false;
        std::string bookId; // of a kepub's spine file, else empty
    };
    std::vector<ChapterRow> chapterRows;
    TextMap<Place> places;
    OverviewRows overview;
    {
        ReaderQuery rows(reader, "Bookmark",
                         {"VolumeID", "BookmarkID", "ContentID", "Text", "Annotation", Optional("Hidden"),
                          Optional("Type"), Optional("Color"), Optional("DateCreated")});
        const auto placeOf = [&places](std::string_view id) {
            auto place = places.find(id);
            return place != places.end() ? place : places.emplace(id, Place{}).first;
        };
        while (rows.Step()) {
            const bool deleted = IsDeletedOnReader(rows.Text(5));
            if (deleted && options.skipDeletedHighlights)
                continue;
            Place& volume = placeOf(rows.Text(0))->second;
            if (volume.volume < 0) {
                volume.volume = static_cast<std::int64_t>(overview.volumes.size());
                overview.volumes.emplace_back(rows.Text(0));
            }
            // Each part is numbered at its first bookmark and titled by the pass over the content table.
            const auto partPlace = placeOf(rows.Text(2));
            Place& part = partPlace->second;
            if (part.chapter < 0) {
                part.chapter = static_cast<std::int64_t>(overview.chapters.size());
                overview.chapters.emplace_back();
                chapterRows.push_back({partPlace->first, false, {}});
            }
            OverviewHighlight& highlight = overview.highlights.emplace_back();
            highlight.book = static_cast<std::uint32_t>(volume.volume);
            highlight.bookmarkId = rows.Text(1);
            highlight.text = rows.Text(3);
            highlight.note = rows.Text(4);
            highlight.chapter = static_cast<std::uint32_t>(part.chapter);
            highlight.type = rows.Text(6);
            highlight.color = StoredColorName(rows.Text(7));
            highlight.date = rows.Text(8);
            highlight.deleted = deleted;
        }
    }

    overview.percentRead.resize(overview.volumes.size());
    overview.imageIds.resize(overview.volumes.size());
    const bool toc = options.chapterTitlesFromToc && ChapterTitles::Readable(reader.Schema());
    bool spineFiles = false;
    {
        ReaderQuery rows(reader, "content",
                         {"ContentID", "Title", Optional("___PercentRead"),
                          toc ? Optional("ContentType") : Unread("ContentType"),
                          toc ? Optional("BookID") : Unread("BookID"), Optional("ImageId")});
        while (rows.Step()) {
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
                overview.chapters[static_cast<std::size_t>(place->second.chapter)].assign(rows.Text(1));
                if (toc && rows.Text(3) == "9") {
                    row.bookId = rows.Text(4);
                    spineFiles = true;
                }
            }
        }
    }
    std::optional<ChapterTitles> titles;
    if (spineFiles)
        titles.emplace(ChapterTitles::ForAll(reader));
    for (std::size_t c = 0; c < chapterRows.size(); ++c) {
        const ChapterRow& row = chapterRows[c];
        if (!row.found)
            overview.chapters[c].assign(row.contentId);
        else if (titles && !row.bookId.empty())
            if (const ChapterTitles::Chapter* chapter = titles->Find(row.bookId, std::string(row.contentId)))
                overview.chapters[c] = chapter->title;
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
        TextMap<std::uint32_t> volumeOf;
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
    for (const OverviewHighlight& highlight : overview.highlights) {
        OverviewBook& facts = overview.books[highlight.book];
        facts.highlights += highlight.text.empty() ? 0 : 1;
        facts.notes += highlight.note.empty() ? 0 : 1;
        if (highlight.date > facts.lastHighlight)
            facts.lastHighlight = highlight.date;
    }
    overview.chapters = std::move(rows.chapters);
    return overview;
}

LibraryOverview ReadLibraryOverview(ReaderConnection& reader, const LibraryIndex& index,
                                    const ReadingOptions& options) {
    return JoinOverview(ReadOverviewRows(reader, options), index);
}
