#include "LibraryOverview.h"

#include "BookShelves.h"
#include "ChapterTitles.h"
#include "ProgressReporter.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "StoredValues.h"
#include "VolumeReader.h"

#include <absl/container/flat_hash_map.h>
#include <cstdint>

namespace {

// Keyed by views of kept texts, and looked up by a row's text as it stands. The content table is looked up once a row,
// most rows in vain: an open table answers those from one small array.
template <class Value> using TextViewMap = absl::flat_hash_map<std::string_view, Value, std::hash<std::string_view>>;

// Each volume's ___PercentRead and ImageId: looked up by their ids, a few thousand rows out of a content table of
// hundreds of thousands; in a database read without its indexes, where each look-up would read the whole table, in
// one pass over it, the last row of an id standing.
void ReadVolumeFacts(ReaderConnection& reader, OverviewRows& overview) {
    overview.percentRead.resize(overview.volumes.size());
    overview.imageIds.resize(overview.volumes.size());
    const std::vector<QueryColumn> columns = {"ContentID", Optional("___PercentRead"), Optional("ImageId")};
    const auto take = [&overview](std::size_t volume, ReaderQuery& row) {
        overview.percentRead[volume] = WholeNumber<double>(row.Text(1));
        overview.imageIds[volume] = row.Text(2);
    };
    if (!reader.AvoidsIndexes()) {
        for (std::size_t v = 0; v < overview.volumes.size(); ++v) {
            ReaderQuery row(reader, "content", columns, "WHERE ContentID = ?",
                            BindValues{std::string(overview.volumes[v])});
            while (row.Step())
                take(v, row);
        }
        return;
    }
    TextViewMap<std::size_t> volumeOf;
    for (std::size_t v = 0; v < overview.volumes.size(); ++v)
        volumeOf.emplace(overview.volumes[v], v);
    ReaderQuery rows(reader, "content", columns);
    while (rows.Step()) {
        const std::optional<std::string_view> contentId = rows.StoredText(0);
        if (const auto volume = contentId ? volumeOf.find(*contentId) : volumeOf.end(); volume != volumeOf.end())
            take(volume->second, rows);
    }
}

} // namespace

OverviewRows ReadOverviewRows(ReaderConnection& reader, const ReadingOptions& options) {
    // Volumes and the parts that bookmarks lie in by their ids, in one table.
    struct Place {
        std::int64_t volume = -1;  // index into rows.volumes
        std::int64_t chapter = -1; // index into rows.chapters
    };
    TextViewMap<Place> places;
    OverviewRows overview;
    TextStore& texts = *overview.texts;
    // Room for every row at once: grown as they came, the highlights would for a while take half as much again. (Read
    // without its indexes, the count would take a pass of its own.)
    if (!reader.AvoidsIndexes()) {
        ReaderQuery count(reader, "Bookmark", {"count(*)"});
        if (count.Step())
            overview.highlights.reserve(static_cast<std::size_t>(
                std::max<std::int64_t>(0, WholeNumber<std::int64_t>(count.Text(0)).value_or(0))));
    }
    ReaderQuery rows(reader, "Bookmark",
                     {"VolumeID", "BookmarkID", "ContentID", "Text", "Annotation", Optional("Hidden"), Optional("Type"),
                      Optional("Color"), Optional("DateCreated")});
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
        // Each part is numbered at its first bookmark, named by its ContentID until its heading is read.
        const auto partPlace = placeOf(rows.Text(2));
        if (partPlace->second.chapter < 0) {
            partPlace->second.chapter = static_cast<std::int64_t>(overview.chapters.size());
            overview.chapters.push_back(partPlace->first);
        }
        OverviewHighlight& highlight = overview.highlights.emplace_back();
        highlight.book = static_cast<std::uint32_t>(volume);
        highlight.bookmarkId = texts.Keep(rows.Text(1));
        highlight.text = texts.Keep(rows.Text(3));
        highlight.note = texts.Keep(rows.Text(4));
        highlight.chapter = static_cast<std::uint32_t>(partPlace->second.chapter);
        highlight.type = texts.Keep(rows.Text(6));
        highlight.color = texts.Keep(StoredColorName(rows.Text(7)));
        highlight.date = texts.Keep(rows.Text(8));
        highlight.deleted = deleted;
    }
    ReadVolumeFacts(reader, overview);
    overview.collections = ReadEveryCollection(reader);
    return overview;
}

ChapterHeadings ReadChapterHeadings(ReaderConnection& reader, const std::vector<std::string_view>& partIds,
                                    const ReadingOptions& options) {
    // What titles each part, as the highlights pane and the exports find it: the content row of its ContentID as it
    // stands (fragment and all), in a kepub book the table of contents' entry for its spine file.
    struct PartRow {
        bool found = false;
        std::string_view bookId; // of a kepub's spine file, kept; else empty
    };
    ChapterHeadings headings;
    TextStore& texts = *headings.texts;
    headings.headings = partIds; // where no content row describes a part
    std::vector<PartRow> partRows(partIds.size());
    TextViewMap<std::size_t> partOf;
    partOf.reserve(partIds.size());
    for (std::size_t p = 0; p < partIds.size(); ++p)
        partOf.emplace(partIds[p], p);
    // The table of contents that titles a kepub's spine files is read in the same pass: a second pass over the
    // content table would take as long as this one.
    const bool toc = options.chapterTitlesFromToc && ChapterTitles::Readable(reader.Schema());
    const auto tocColumn = [toc](const char* name) { return toc ? Optional(name) : Unread(name); };
    ChapterTitles titles;
    bool spineFiles = false;
    {
        ReaderQuery rows(reader, "content",
                         {"ContentID", "Title", tocColumn("ContentType"), tocColumn("BookID"),
                          toc ? QueryColumn(ChapterTitles::kIsTocRow) : Unread(ChapterTitles::kIsTocRow),
                          tocColumn(ChapterTitles::kSpineFileColumn), tocColumn(ChapterTitles::kIndexColumn),
                          tocColumn(ChapterTitles::kDepthColumn)});
        while (rows.Step()) {
            if (toc && rows.Text(4) == "1")
                titles.AddRow(rows.Text(3), rows.Text(5), rows.Text(1), rows.Text(6), rows.Text(0), rows.Text(7));
            const std::optional<std::string_view> contentId = rows.StoredText(0);
            const auto part = contentId ? partOf.find(*contentId) : partOf.end();
            if (part == partOf.end() || partRows[part->second].found)
                continue;
            PartRow& row = partRows[part->second];
            row.found = true;
            headings.headings[part->second] = texts.Keep(rows.Text(1));
            if (toc && rows.Text(2) == "9") {
                row.bookId = texts.Keep(rows.Text(3));
                spineFiles = true;
            }
        }
    }
    if (spineFiles)
        for (std::size_t p = 0; p < partRows.size(); ++p)
            if (!partRows[p].bookId.empty())
                if (const ChapterTitles::Chapter* chapter = titles.Find(partRows[p].bookId, partIds[p]))
                    headings.headings[p] = texts.Keep(chapter->title);
    return headings;
}

std::optional<ChapterHeadings> ReadChapterHeadings(const LibraryOverview& overview) {
    if (!overview.headingsUnread)
        return std::nullopt;
    std::optional<ChapterHeadings> headings;
    SilentProgress silent;
    ReadReaderDatabase(overview.headingsUnread->database, "the chapters of every highlight", silent,
                       [&](ReaderConnection& reader) {
                           headings = ReadChapterHeadings(reader, overview.chapters, overview.headingsUnread->options);
                       });
    return headings;
}

void HeadChapters(LibraryOverview& overview, ChapterHeadings headings) {
    overview.chapters = std::move(headings.headings);
    overview.texts.push_back(std::move(headings.texts));
    overview.headingsUnread.reset();
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
    LibraryOverview overview = JoinOverview(ReadOverviewRows(reader, options), index);
    ChapterHeadings headings = ReadChapterHeadings(reader, overview.chapters, options);
    HeadChapters(overview, std::move(headings));
    return overview;
}
