#include "LibraryOverview.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeReader.h"

#include <charconv>
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

// A bookmark names its part with a "#fragment" on some firmware; the part's row has none.
std::string_view WithoutFragment(std::string_view contentId) {
    const std::size_t hash = contentId.find('#');
    return hash == std::string_view::npos ? contentId : contentId.substr(0, hash);
}

} // namespace

std::string BookmarkColorName(std::string_view stored) {
    static constexpr std::string_view kNames[] = {"yellow", "pink", "blue", "green", "grey"};
    if (stored.size() == 1 && stored[0] >= '0' && stored[0] <= '4')
        return std::string(kNames[stored[0] - '0']);
    return std::string(stored);
}

LibraryOverview ReadLibraryOverview(ReaderConnection& reader, const LibraryIndex& index,
                                    const ReadingOptions& options) {
    // Books by their volume ids and the parts that bookmarks lie in by their content ids, in one table, so that each
    // content row is looked up once.
    struct Place {
        std::int64_t book = -1;    // index into overview.books
        std::int64_t chapter = -1; // index into overview.chapters
    };
    TextMap<Place> places;
    LibraryOverview overview;
    places.reserve(index.Volumes.Count());
    for (const std::string& volume : index.Volumes.Entries()) {
        places[volume].book = static_cast<std::int64_t>(overview.books.size());
        OverviewBook& book = overview.books.emplace_back();
        book.volumeId = volume;
        book.title = index.TitlePairs.ValueOf(volume);
        book.author = index.AuthorPairs.ValueOf(volume);
        book.sideloaded = volume.find('/') != std::string::npos;
    }

    {
        ReaderQuery rows(reader, "Bookmark",
                         {"VolumeID", "BookmarkID", "ContentID", "Text", "Annotation", Optional("Hidden"),
                          Optional("Type"), Optional("Color"), Optional("DateCreated")});
        while (rows.Step()) {
            const bool deleted = IsDeletedOnReader(rows.Text(5));
            if (deleted && options.skipDeletedHighlights)
                continue;
            const auto book = places.find(rows.Text(0));
            if (book == places.end() || book->second.book < 0)
                continue;
            const auto bookIndex = static_cast<std::uint32_t>(book->second.book);
            // Each part is numbered at its first bookmark and titled by the pass over the content table.
            const std::string_view part = WithoutFragment(rows.Text(2));
            auto chapter = places.find(part);
            if (chapter == places.end())
                chapter = places.emplace(part, Place{}).first;
            if (chapter->second.chapter < 0) {
                chapter->second.chapter = static_cast<std::int64_t>(overview.chapters.size());
                overview.chapters.emplace_back();
            }
            OverviewHighlight& highlight = overview.highlights.emplace_back();
            highlight.book = bookIndex;
            highlight.bookmarkId = rows.Text(1);
            highlight.text = rows.Text(3);
            highlight.note = rows.Text(4);
            highlight.chapter = static_cast<std::uint32_t>(chapter->second.chapter);
            highlight.type = rows.Text(6);
            highlight.color = BookmarkColorName(rows.Text(7));
            highlight.date = rows.Text(8);
            highlight.deleted = deleted;
            OverviewBook& facts = overview.books[bookIndex];
            facts.highlights += highlight.text.empty() ? 0 : 1;
            facts.notes += highlight.note.empty() ? 0 : 1;
            if (highlight.date > facts.lastHighlight)
                facts.lastHighlight = highlight.date;
        }
    }

    ReaderQuery rows(reader, "content", {"ContentID", "Title", Optional("___PercentRead")});
    while (rows.Step()) {
        const auto place = places.find(rows.Text(0));
        if (place == places.end())
            continue;
        if (place->second.book >= 0)
            overview.books[static_cast<std::size_t>(place->second.book)].percentRead = Percent(rows.Text(2));
        if (place->second.chapter >= 0) {
            std::string& chapter = overview.chapters[static_cast<std::size_t>(place->second.chapter)];
            if (chapter.empty())
                chapter.assign(rows.Text(1));
        }
    }
    return overview;
}
