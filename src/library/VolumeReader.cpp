#include "VolumeReader.h"

#include "AsciiCase.h"
#include "BookmarkOrder.h"
#include "ChapterTitles.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"

#include <set>
#include <unordered_map>

namespace {

struct PartRow {
    PartFacts facts;
    std::string volumeIndex;
    bool spineFile = false; // ContentType '9': in a kepub book, its Title is only the file's path
    std::string bookId;
};

PartRow ReadPart(ReaderConnection& reader, const std::string& contentId, bool withToc) {
    std::vector<QueryColumn> columns = {"Title", "Attribution", Optional("VolumeIndex")};
    if (withToc) {
        columns.push_back(Optional("ContentType"));
        columns.push_back(Optional("BookID"));
    }
    // Values are bound, never pasted into the text: an id holding a double quote, or naming a column, still selects
    // exactly its own rows.
    ReaderQuery rows(reader, "content", columns, "WHERE ContentID=?", {contentId});
    PartRow part;
    part.facts.contentId = contentId;
    if (!rows.Step())
        return part;
    part.facts.found = true;
    part.facts.title = rows.Text(0);
    part.facts.attribution = rows.Text(1);
    part.volumeIndex = rows.Text(2);
    part.spineFile = withToc && rows.Text(3) == "9";
    if (part.spineFile)
        part.bookId = rows.Text(4);
    return part;
}

// The volume's bookmarks in row order: where each starts, and its texts.
struct BookmarkRows {
    std::vector<BookmarkLocation> locations;
    std::vector<AnnotatedBookmark> bookmarks;
};

// A book's bookmarks with their texts come to megabytes: they are read row by row rather than copied into a table.
BookmarkRows ReadBookmarks(ReaderConnection& reader, const std::string& volumeId, bool skipDeleted) {
    std::vector<QueryColumn> columns = {"BookmarkID",  "ContentID", "StartContainerPath",
                                        "StartOffset", "Text",      "Annotation"};
    if (skipDeleted)
        columns.push_back(Optional("Hidden"));
    ReaderQuery rows(reader, "Bookmark", columns, "WHERE VolumeID=?", {volumeId});
    BookmarkRows read;
    while (rows.Step()) {
        // What the reader deleted counts as absent.
        if (skipDeleted && IsDeletedOnReader(rows.Text(6)))
            continue;
        BookmarkLocation location;
        location.bookmarkId = rows.Text(0);
        location.contentId = rows.Text(1);
        location.startContainerPath = rows.Text(2);
        location.startOffset = rows.Text(3);
        read.locations.push_back(std::move(location));
        read.bookmarks.push_back({std::string(rows.Text(0)), std::string(rows.Text(4)), std::string(rows.Text(5))});
    }
    return read;
}

// One query per distinct part, and for kepub books one for their chapter titles unless the caller has them.
std::vector<PartRow> ReadParts(ReaderConnection& reader, BookmarkRows& rows, const ReadingOptions& options,
                               const ChapterTitles* chapterTitles) {
    std::vector<PartRow> parts;
    std::unordered_map<std::string, std::size_t> partOf;
    std::set<std::string> books; // of the spine files
    for (std::size_t i = 0; i < rows.locations.size(); ++i) {
        BookmarkLocation& location = rows.locations[i];
        const auto [it, inserted] = partOf.try_emplace(location.contentId, parts.size());
        if (inserted) {
            parts.push_back(ReadPart(reader, location.contentId, options.chapterTitlesFromToc));
            if (parts.back().spineFile)
                books.insert(parts.back().bookId);
        }
        location.partIndex = parts[it->second].volumeIndex;
        rows.bookmarks[i].part = it->second;
    }
    if (books.empty())
        return parts;
    ChapterTitles own;
    if (!chapterTitles) {
        for (const std::string& book : books)
            own.AddBook(reader, book);
        chapterTitles = &own;
    }
    for (PartRow& part : parts)
        if (const std::string* title =
                part.spineFile ? chapterTitles->Find(part.bookId, part.facts.contentId) : nullptr)
            part.facts.title = *title;
    return parts;
}

} // namespace

bool IsDeletedOnReader(std::string_view hidden) {
    return SameIgnoringAsciiCase(hidden, "true") || hidden == "1";
}

AnnotatedVolume ReadAnnotatedVolume(ReaderConnection& reader, const LibraryIndex& index, const std::string& volumeId,
                                    const ReadingOptions& options, const ChapterTitles* chapterTitles,
                                    ProgressReporter& progress) {
    BookmarkRows rows = ReadBookmarks(reader, volumeId, options.skipDeletedHighlights);
    progress.SetStatus("extracting annotations");
    progress.StartProgress(rows.locations.size());
    std::vector<PartRow> parts = ReadParts(reader, rows, options, chapterTitles);

    AnnotatedVolume volume;
    volume.volumeId = volumeId;
    volume.title = index.TitlePairs.ValueOf(volumeId);
    volume.author = index.AuthorPairs.ValueOf(volumeId);
    volume.parts.reserve(parts.size());
    for (PartRow& part : parts)
        volume.parts.push_back(std::move(part.facts));
    const std::vector<std::size_t> order = ReadingOrder(rows.locations, index.Volumes.Order(), progress);
    volume.bookmarks.reserve(order.size());
    for (const std::size_t position : order)
        volume.bookmarks.push_back(std::move(rows.bookmarks[position]));
    return volume;
}
