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
    LibraryOverview overview;
    std::unordered_map<std::string, std::uint32_t> bookOf;
    for (const std::string& volume : index.Volumes.Entries()) {
        bookOf.emplace(volume, static_cast<std::uint32_t>(overview.books.size()));
        OverviewBook& book = overview.books.emplace_back();
        book.volumeId = volume;
        book.title = index.TitlePairs.ValueOf(volume);
        book.author = index.AuthorPairs.ValueOf(volume);
        book.sideloaded = volume.find('/') != std::string::npos;
    }

    // The parts whose titles head the bookmarks, each filled in by the pass over the content table.
    std::unordered_map<std::string, std::string> chapters;
    std::vector<std::string> partOf;
    {
        ReaderQuery rows(reader, "Bookmark",
                         {"VolumeID", "BookmarkID", "ContentID", "Text", "Annotation", Optional("Hidden"),
                          Optional("Type"), Optional("Color"), Optional("DateCreated")});
        std::string volume;
        while (rows.Step()) {
            const bool deleted = IsDeletedOnReader(rows.Text(5));
            if (deleted && options.skipDeletedHighlights)
                continue;
            volume.assign(rows.Text(0));
            const auto book = bookOf.find(volume);
            if (book == bookOf.end())
                continue;
            OverviewHighlight highlight{.book = book->second,
                                        .bookmarkId = std::string(rows.Text(1)),
                                        .text = std::string(rows.Text(3)),
                                        .note = std::string(rows.Text(4)),
                                        .chapter = {},
                                        .type = std::string(rows.Text(6)),
                                        .color = BookmarkColorName(rows.Text(7)),
                                        .date = std::string(rows.Text(8)),
                                        .deleted = deleted};
            OverviewBook& facts = overview.books[book->second];
            facts.highlights += highlight.text.empty() ? 0 : 1;
            facts.notes += highlight.note.empty() ? 0 : 1;
            if (highlight.date > facts.lastHighlight)
                facts.lastHighlight = highlight.date;
            partOf.emplace_back(WithoutFragment(rows.Text(2)));
            chapters.emplace(partOf.back(), std::string());
            overview.highlights.push_back(std::move(highlight));
        }
    }

    ReaderQuery rows(reader, "content", {"ContentID", "Title", Optional("___PercentRead")});
    std::string id;
    while (rows.Step()) {
        id.assign(rows.Text(0));
        if (const auto book = bookOf.find(id); book != bookOf.end())
            overview.books[book->second].percentRead = Percent(rows.Text(2));
        if (const auto chapter = chapters.find(id); chapter != chapters.end() && chapter->second.empty())
            chapter->second.assign(rows.Text(1));
    }
    for (std::size_t i = 0; i < overview.highlights.size(); ++i)
        overview.highlights[i].chapter = chapters[partOf[i]];
    return overview;
}
