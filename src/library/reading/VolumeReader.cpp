#include "VolumeReader.h"

#include "AsciiCase.h"
#include "BookmarkOrder.h"
#include "ChapterTitles.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "SafeFileName.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <unordered_map>

namespace {

struct PartRow {
    PartFacts facts;
    std::string volumeIndex;
    bool spineFile = false; // ContentType '9': in a kepub book, its Title is only the file's path
    std::string bookId;
};

// A number as stored: an integer, or a real number made text with the locale's decimal separator.
std::optional<double> Number(std::string_view text) {
    std::string plain(text);
    std::replace(plain.begin(), plain.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (plain.empty() || error != std::errc() || end != plain.data() + plain.size())
        return std::nullopt;
    return value;
}

std::string ColorName(std::string_view stored) {
    static const char* const kNames[] = {"yellow", "pink", "blue", "green"};
    if (stored.size() == 1 && stored[0] >= '0' && stored[0] <= '3')
        return kNames[stored[0] - '0'];
    return std::string(stored);
}

PartRow ReadPart(ReaderConnection& reader, const std::string& contentId, const ReadingOptions& options) {
    std::vector<QueryColumn> columns = {"Title",
                                        "Attribution",
                                        Optional("VolumeIndex"),
                                        Optional("ContentType"),
                                        Optional("BookID"),
                                        Optional("___FileOffset"),
                                        Optional("___FileSize")};
    // Only what is used is asked for, so that the statement stays the one described where nothing more is wanted.
    columns.erase(columns.begin() + (options.wholeRecords ? 7 : options.chapterTitlesFromToc ? 5 : 3), columns.end());
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
    part.spineFile = options.chapterTitlesFromToc && rows.Text(3) == "9";
    if (part.spineFile)
        part.bookId = rows.Text(4);
    if (options.wholeRecords) {
        part.facts.startPercent = Number(rows.Text(5));
        part.facts.sizePercent = Number(rows.Text(6));
    }
    return part;
}

// A drawing's image in the markups folder, named after its bookmark: only an id that is one plain name can name one,
// so that an id holding a path never points the exports at a file elsewhere.
std::filesystem::path MarkupImage(const std::filesystem::path& markups, std::string_view bookmarkId) {
    if (!IsPlainFileName(bookmarkId))
        return {};
    for (const char* extension : {".svg", ".jpg"})
        if (auto image = markups / (std::string(bookmarkId) + extension); IsReaderDatabaseFile(image))
            return image;
    return {};
}

// The volume's bookmarks in row order: where each starts, and its texts.
struct BookmarkRows {
    std::vector<BookmarkLocation> locations;
    std::vector<AnnotatedBookmark> bookmarks;
};

enum BookmarkColumn {
    kId,
    kContent,
    kPath,
    kOffset,
    kText,
    kNote,
    kHidden,
    kType,
    kColor,
    kCreated,
    kModified,
    kProgress
};

// A book's bookmarks with their texts come to megabytes: they are read row by row rather than copied into a table.
// expected: how many the index counted, so that the lists are the right size at once rather than grown by doubling.
BookmarkRows ReadBookmarks(ReaderConnection& reader, const std::string& volumeId, const ReadingOptions& options,
                           std::size_t expected) {
    std::vector<QueryColumn> columns = {"BookmarkID",  "ContentID", "StartContainerPath",
                                        "StartOffset", "Text",      "Annotation"};
    const bool skipDeleted = options.skipDeletedHighlights;
    if (skipDeleted || options.wholeRecords)
        columns.push_back(Optional("Hidden"));
    if (options.wholeRecords)
        for (const char* name : {"Type", "Color", "DateCreated", "DateModified", "ChapterProgress"})
            columns.push_back(Optional(name));
    ReaderQuery rows(reader, "Bookmark", columns, "WHERE VolumeID=?", {volumeId});
    const std::filesystem::path markups = reader.Path().parent_path() / "markups";
    BookmarkRows read;
    read.locations.reserve(expected);
    read.bookmarks.reserve(expected);
    while (rows.Step()) {
        // What the reader deleted counts as absent.
        const bool deleted = columns.size() > kHidden && IsDeletedOnReader(rows.Text(kHidden));
        if (skipDeleted && deleted)
            continue;
        BookmarkLocation location;
        location.bookmarkId = rows.Text(kId);
        location.contentId = rows.Text(kContent);
        location.startContainerPath = rows.Text(kPath);
        location.startOffset = rows.Text(kOffset);
        AnnotatedBookmark& bookmark = read.bookmarks.emplace_back();
        bookmark.bookmarkId = location.bookmarkId;
        bookmark.text = rows.Text(kText);
        bookmark.annotation = rows.Text(kNote);
        read.locations.push_back(std::move(location));
        if (!options.wholeRecords)
            continue;
        bookmark.deleted = deleted;
        bookmark.type = rows.Text(kType);
        bookmark.color = ColorName(rows.Text(kColor));
        bookmark.dateCreated = rows.Text(kCreated);
        bookmark.dateModified = rows.Text(kModified);
        bookmark.chapterProgress = Number(rows.Text(kProgress));
        if (bookmark.type == "markup")
            bookmark.markupImage = MarkupImage(markups, bookmark.bookmarkId);
    }
    return read;
}

// The publisher, ISBN and language on the book's own content row, where the database keeps them.
void ReadBookFacts(ReaderConnection& reader, AnnotatedVolume& volume) {
    const ReaderSchema& schema = reader.Schema();
    if (!schema.Has("content", "Publisher") && !schema.Has("content", "ISBN") && !schema.Has("content", "Language"))
        return;
    ReaderQuery rows(reader, "content", {Optional("Publisher"), Optional("ISBN"), Optional("Language")},
                     "WHERE ContentID=?", {volume.volumeId});
    if (!rows.Step())
        return;
    volume.publisher = rows.Text(0);
    volume.isbn = rows.Text(1);
    volume.language = rows.Text(2);
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
            parts.push_back(ReadPart(reader, location.contentId, options));
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

// How many bookmarks the index counted for the volume, where it counted them as this reading will; else none.
std::size_t ExpectedBookmarks(const LibraryIndex& index, const std::string& volumeId, const ReadingOptions& options) {
    if (!index.Counts || index.Counts->skippedDeleted != options.skipDeletedHighlights)
        return 0;
    const auto found = index.Counts->ofVolume.find(volumeId);
    return found == index.Counts->ofVolume.end() ? 0 : found->second;
}

// Moves entry order[k] to place k, following each cycle of the permutation: no second list of a book's bookmarks,
// which for a book of a million highlights is hundreds of megabytes.
void PutInOrder(std::vector<AnnotatedBookmark>& bookmarks, const std::vector<std::size_t>& order) {
    std::vector<bool> placed(bookmarks.size());
    for (std::size_t start = 0; start < bookmarks.size(); ++start) {
        if (placed[start])
            continue;
        AnnotatedBookmark first = std::move(bookmarks[start]);
        std::size_t k = start;
        for (;;) {
            placed[k] = true;
            const std::size_t from = order[k];
            if (from == start) {
                bookmarks[k] = std::move(first);
                break;
            }
            bookmarks[k] = std::move(bookmarks[from]);
            k = from;
        }
    }
}

} // namespace

bool IsDeletedOnReader(std::string_view hidden) {
    return SameIgnoringAsciiCase(hidden, "true") || hidden == "1";
}

AnnotatedVolume ReadAnnotatedVolume(ReaderConnection& reader, const LibraryIndex& index, const std::string& volumeId,
                                    const ReadingOptions& options, const ChapterTitles* chapterTitles,
                                    ProgressReporter& progress) {
    BookmarkRows rows = ReadBookmarks(reader, volumeId, options, ExpectedBookmarks(index, volumeId, options));
    progress.SetStatus("extracting annotations");
    progress.StartProgress(rows.locations.size());
    std::vector<PartRow> parts = ReadParts(reader, rows, options, chapterTitles);

    AnnotatedVolume volume;
    volume.volumeId = volumeId;
    volume.title = index.TitlePairs.ValueOf(volumeId);
    volume.author = index.AuthorPairs.ValueOf(volumeId);
    if (options.wholeRecords)
        ReadBookFacts(reader, volume);
    volume.parts.reserve(parts.size());
    for (PartRow& part : parts)
        volume.parts.push_back(std::move(part.facts));
    const std::vector<std::size_t> order = ReadingOrder(std::move(rows.locations), index.Volumes.Order(), progress);
    volume.bookmarks = std::move(rows.bookmarks);
    PutInOrder(volume.bookmarks, order);
    return volume;
}

std::optional<AnnotatedVolume> ReadAnnotatedVolume(const std::filesystem::path& database, const LibraryIndex& index,
                                                   const std::string& volumeId, const ReadingOptions& options,
                                                   ProgressReporter& progress, KeptReading* kept) {
    AnnotatedVolume volume;
    const bool read = ReadReaderDatabase(
        database, "the highlights of " + volumeId, progress,
        [&](ReaderConnection& reader) {
            volume = ReadAnnotatedVolume(reader, index, volumeId, options, nullptr, progress);
        },
        kept);
    if (!read)
        return std::nullopt;
    return volume;
}
