#include "VolumeReader.h"

#include "AsciiCase.h"
#include "BookmarkOrder.h"
#include "ChapterTitles.h"
#include "ESQLiteException.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "SafeFileName.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>

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

std::string_view ColorName(std::string_view stored) {
    static constexpr std::string_view kNames[] = {"yellow", "pink", "blue", "green", "grey"};
    if (stored.size() == 1 && stored[0] >= '0' && stored[0] <= '4')
        return kNames[stored[0] - '0'];
    return stored;
}

// The stored type where it is one of the few known ones, as a view that needs no room of its own.
std::string_view KnownOrStored(std::string_view stored) {
    static constexpr std::string_view kTypes[] = {"highlight", "note", "dogear", "markup"};
    for (const std::string_view type : kTypes)
        if (stored == type)
            return type;
    return stored;
}

// A stored Depth as a heading level: 1 where none is kept (older firmware) or the row stands outside the table of
// contents (0).
int TocDepth(std::optional<double> stored) {
    return stored && *stored >= 1 ? static_cast<int>(std::min(*stored, 100.0)) : 1;
}

PartRow ReadPart(ReaderConnection& reader, const std::string& contentId, const ReadingOptions& options) {
    std::vector<QueryColumn> columns = {"Title",
                                        "Attribution",
                                        Optional("VolumeIndex"),
                                        Optional("ContentType"),
                                        Optional("BookID"),
                                        Optional("___FileOffset"),
                                        Optional("___FileSize"),
                                        Optional("Depth")};
    // Only what is used is asked for, so that the statement stays the one described where nothing more is wanted.
    columns.erase(columns.begin() + (options.wholeRecords ? 8 : options.chapterTitlesFromToc ? 5 : 3), columns.end());
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
        // A plain EPUB's parts are its table-of-contents entries and keep their own Depth; a kepub's spine files
        // keep 0 there, and take the depth of the entry whose title they show.
        part.facts.depth = TocDepth(Number(rows.Text(7)));
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

// The volume's bookmarks are read in two passes of the same query, which gives its rows in the same order both
// times: first where each starts, to find their order, then their texts, each put at its place at once. Held all at
// once, the places, the order's keys and the texts of a book of a million highlights took a gigabyte.
class BookmarkRows {
public:
    BookmarkRows(ReaderConnection& reader, const std::string& volumeId, const ReadingOptions& options)
        : m_reader(reader), m_volumeId(volumeId), m_options(options) {
        m_columns = {"BookmarkID", "ContentID", "StartContainerPath", "StartOffset", "Text", "Annotation"};
        if (options.skipDeletedHighlights || options.wholeRecords)
            m_columns.push_back(Optional("Hidden"));
        if (options.wholeRecords)
            for (const char* name : {"Type", "Color", "DateCreated", "DateModified", "ChapterProgress"})
                m_columns.push_back(Optional(name));
    }

    // Where each bookmark starts, in row order, its texts kept in texts. expected: how many the index counted, so
    // that the list is the right size at once rather than grown by doubling.
    std::vector<BookmarkLocation> Locations(std::size_t expected, TextStore& texts) {
        std::vector<BookmarkLocation> locations;
        locations.reserve(expected);
        // A book has few parts and many bookmarks in each: each part's id is kept once.
        std::unordered_set<std::string_view> contentIds;
        std::string_view lastContentId;
        ForEachRow([&](ReaderQuery& rows, bool) {
            BookmarkLocation& location = locations.emplace_back();
            location.bookmarkId = texts.Keep(rows.Text(kId));
            const std::string_view contentId = rows.Text(kContent);
            if (contentId != lastContentId || lastContentId.data() == nullptr) {
                const auto known = contentIds.find(contentId);
                lastContentId = known != contentIds.end() ? *known : *contentIds.insert(texts.Keep(contentId)).first;
            }
            location.contentId = lastContentId;
            location.startContainerPath = texts.Keep(rows.Text(kPath));
            location.startOffset = texts.Keep(rows.Text(kOffset));
        });
        return locations;
    }

    // Reads each bookmark's texts into volume.bookmarks[placeOf[k]], k its row's number in Locations' order.
    void ReadInto(AnnotatedVolume& volume, const std::vector<std::size_t>& placeOf,
                  const std::vector<std::uint32_t>& partOf) {
        const std::filesystem::path markups = m_reader.Path().parent_path() / "markups";
        volume.bookmarks.resize(placeOf.size());
        std::size_t k = 0;
        ForEachRow([&](ReaderQuery& rows, bool deleted) {
            if (k == placeOf.size())
                ChangedMeanwhile();
            AnnotatedBookmark& bookmark = volume.bookmarks[placeOf[k]];
            bookmark.part = partOf[k++];
            bookmark.bookmarkId = volume.Keep(rows.Text(kId));
            bookmark.text = volume.Keep(rows.Text(kText));
            bookmark.annotation = volume.Keep(rows.Text(kNote));
            if (!m_options.wholeRecords)
                return;
            bookmark.deleted = deleted;
            // The known types and colours are views of constants; anything else is kept.
            const auto keptUnlessKnown = [&volume](std::string_view value, std::string_view stored) {
                return value.data() == stored.data() ? volume.Keep(value) : value;
            };
            bookmark.type = keptUnlessKnown(KnownOrStored(rows.Text(kType)), rows.Text(kType));
            bookmark.color = keptUnlessKnown(ColorName(rows.Text(kColor)), rows.Text(kColor));
            bookmark.dateCreated = volume.Keep(rows.Text(kCreated));
            bookmark.dateModified = volume.Keep(rows.Text(kModified));
            bookmark.chapterProgress = Number(rows.Text(kProgress));
            if (bookmark.type == "markup")
                bookmark.markupImage = volume.Keep(MarkupImage(markups, bookmark.bookmarkId).native());
        });
        if (k != placeOf.size())
            ChangedMeanwhile();
    }

private:
    // The two passes met different rows: only another program's change can do that, and a reading that sees the
    // files change reads again.
    [[noreturn]] void ChangedMeanwhile() const {
        throw ESQLiteException("The database file was changed by another program while the highlights of " +
                               m_volumeId + " were read. Try again when that program is done.");
    }

    // Calls read(rows, deleted) for every row that counts; what the reader deleted counts as absent unless deleted
    // highlights are read.
    template <class Read> void ForEachRow(Read read) {
        ReaderQuery rows(m_reader, "Bookmark", m_columns, "WHERE VolumeID=?", {m_volumeId});
        while (rows.Step()) {
            const bool deleted = m_columns.size() > kHidden && IsDeletedOnReader(rows.Text(kHidden));
            if (!(m_options.skipDeletedHighlights && deleted))
                read(rows, deleted);
        }
    }

    ReaderConnection& m_reader;
    const std::string& m_volumeId;
    const ReadingOptions& m_options;
    std::vector<QueryColumn> m_columns;
};

// The facts on the book's own content row, the reader's own record of the book: its title and author before those of
// the index, which come from the rows of its parts and are missing where those rows carry no BookTitle.
void ReadBookFacts(ReaderConnection& reader, AnnotatedVolume& volume) {
    ReaderQuery rows(reader, "content",
                     {"Title", "Attribution", Optional("Publisher"), Optional("ISBN"), Optional("Language"),
                      Optional("Series"), Optional("SeriesNumber"), Optional("Description"), Optional("___PercentRead"),
                      Optional("ReadStatus"), Optional("DateLastRead"), Optional("TimeSpentReading"),
                      Optional("MimeType")},
                     "WHERE ContentID=?", {volume.volumeId});
    if (!rows.Step())
        return;
    if (!rows.Text(0).empty())
        volume.title = rows.Text(0);
    if (!rows.Text(1).empty())
        volume.author = rows.Text(1);
    for (std::size_t k = 2; std::string * fact : {&volume.publisher, &volume.isbn, &volume.language, &volume.series,
                                                  &volume.seriesNumber, &volume.description, &volume.percentRead,
                                                  &volume.readStatus, &volume.dateLastRead, &volume.timeSpentReading})
        *fact = rows.Text(k++);
    volume.progressInBook = rows.Text(12) == "application/epub+zip";
}

// One query per distinct part, and for kepub books one for their chapter titles unless the caller has them. Gives
// each location its part's place in the book, and partOf each location's part.
std::vector<PartRow> ReadParts(ReaderConnection& reader, std::vector<BookmarkLocation>& locations,
                               std::vector<std::uint32_t>& partOf, const ReadingOptions& options,
                               const ChapterTitles* chapterTitles) {
    std::vector<PartRow> parts;
    std::unordered_map<std::string, std::uint32_t> partNumbers;
    std::set<std::string> books; // of the spine files
    partOf.resize(locations.size());
    for (std::size_t i = 0; i < locations.size(); ++i) {
        const std::string_view contentId = locations[i].contentId;
        const auto [it, inserted] =
            partNumbers.try_emplace(std::string(contentId), static_cast<std::uint32_t>(parts.size()));
        if (inserted) {
            parts.push_back(ReadPart(reader, it->first, options));
            if (parts.back().spineFile)
                books.insert(parts.back().bookId);
        }
        partOf[i] = it->second;
    }
    // Once every part is read: the locations view their places.
    for (std::size_t i = 0; i < locations.size(); ++i)
        locations[i].partIndex = parts[partOf[i]].volumeIndex;
    if (books.empty())
        return parts;
    ChapterTitles own;
    if (!chapterTitles) {
        for (const std::string& book : books)
            own.AddBook(reader, book);
        chapterTitles = &own;
    }
    for (PartRow& part : parts)
        if (const ChapterTitles::Chapter* chapter =
                part.spineFile ? chapterTitles->Find(part.bookId, part.facts.contentId) : nullptr) {
            part.facts.title = chapter->title;
            if (options.wholeRecords && chapter->depth)
                part.facts.depth = TocDepth(static_cast<double>(*chapter->depth));
        }
    return parts;
}

// How many bookmarks the index counted for the volume, where it counted them as this reading will; else none.
std::size_t ExpectedBookmarks(const LibraryIndex& index, const std::string& volumeId, const ReadingOptions& options) {
    if (!index.Counts || index.Counts->skippedDeleted != options.skipDeletedHighlights)
        return 0;
    const auto found = index.Counts->ofVolume.find(volumeId);
    return found == index.Counts->ofVolume.end() ? 0 : found->second;
}

} // namespace

bool IsDeletedOnReader(std::string_view hidden) {
    return SameIgnoringAsciiCase(hidden, "true") || hidden == "1";
}

AnnotatedVolume ReadAnnotatedVolume(ReaderConnection& reader, const LibraryIndex& index, const std::string& volumeId,
                                    const ReadingOptions& options, const ChapterTitles* chapterTitles,
                                    ProgressReporter& progress) {
    BookmarkRows rows(reader, volumeId, options);
    auto locationTexts = std::make_unique<TextStore>();
    std::vector<BookmarkLocation> locations =
        rows.Locations(ExpectedBookmarks(index, volumeId, options), *locationTexts);
    progress.SetStatus("extracting annotations");
    progress.StartProgress(locations.size());
    std::vector<std::uint32_t> partOf;
    std::vector<PartRow> parts = ReadParts(reader, locations, partOf, options, chapterTitles);

    AnnotatedVolume volume;
    volume.volumeId = volumeId;
    volume.title = index.TitlePairs.ValueOf(volumeId);
    volume.author = index.AuthorPairs.ValueOf(volumeId);
    if (options.wholeRecords)
        ReadBookFacts(reader, volume);
    volume.parts.reserve(parts.size());
    for (PartRow& part : parts)
        volume.parts.push_back(std::move(part.facts));
    std::vector<std::size_t> placeOf;
    {
        const std::vector<std::size_t> order = ReadingOrder(std::move(locations), index.Volumes.Order(), progress);
        locationTexts.reset();
        placeOf.resize(order.size());
        for (std::size_t place = 0; place < order.size(); ++place)
            placeOf[order[place]] = place;
    }
    rows.ReadInto(volume, placeOf, partOf);
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
