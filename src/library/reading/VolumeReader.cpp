#include "VolumeReader.h"

#include "ArchiveColumns.h"
#include "AsciiCase.h"
#include "BookShelves.h"
#include "BookmarkOrder.h"
#include "ChapterTitles.h"
#include "ESQLiteException.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "SafeFileName.h"
#include "StoredValues.h"
#include "VolumeParts.h"

#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

// The stored type where it is one of the few known ones, as a view that needs no room of its own.
std::string_view KnownOrStored(std::string_view stored) {
    static constexpr std::string_view kTypes[] = {"highlight", "note", "dogear", "markup"};
    for (const std::string_view type : kTypes)
        if (stored == type)
            return type;
    return stored;
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
    kProgress,
    kGone,
    kLastSeen
};

// Where the volume's bookmarks start, in row order, with what ordering them needs: the part of each, numbered by
// first appearance, and those parts' ContentIDs.
struct Locations {
    std::vector<BookmarkLocation> places;
    std::vector<std::uint32_t> partOf;
    std::vector<std::string_view> contentIds;
};

// The volume's bookmarks are read in one pass while they are few enough to hold their texts beside the keys that
// order them; a book with more is read in two passes of the same query, which gives its rows in the same order both
// times: first where each starts, to find their order, then their texts, each put at its place at once. Held all at
// once, the places, the order's keys and the texts of a book of a million highlights took a gigabyte.
class BookmarkRows {
public:
    // Bookmarks whose texts the first pass keeps: some tens of megabytes of texts and keys at most.
    static constexpr std::size_t kOnePass = 50000;

    BookmarkRows(ReaderConnection& reader, const std::string& volumeId, const ReadingOptions& options)
        : m_reader(reader), m_volumeId(volumeId), m_options(options),
          m_markups(reader.Path().parent_path() / "markups") {
        m_columns = {"BookmarkID", "ContentID", "StartContainerPath", "StartOffset", "Text", "Annotation"};
        // Columns this reading does not need keep their places, unread, so that each is found by its number.
        const auto wanted = [](bool read, const char* name) { return read ? Optional(name) : Unread(name); };
        m_columns.push_back(wanted(options.skipDeletedHighlights || options.wholeRecords, "Hidden"));
        for (const char* name : {"Type", "Color", "DateCreated", "DateModified", "ChapterProgress"})
            m_columns.push_back(wanted(options.wholeRecords, name));
        m_columns.push_back(Optional(kArchiveGoneColumn));
        m_columns.push_back(Optional(kArchiveLastSeenColumn));
    }

    // Where each bookmark starts, in row order, its texts kept in texts; the bookmarks themselves, in row order, into
    // volume while there are at most kOnePass of them. expected: how many the index counted, so that the lists are the
    // right size at once rather than grown by doubling.
    Locations Read(std::size_t expected, TextStore& texts, AnnotatedVolume& volume) {
        Locations read;
        read.places.reserve(expected);
        read.partOf.reserve(expected);
        m_onePass = true;
        if (expected <= kOnePass)
            volume.bookmarks.reserve(expected);
        // A book has few parts and many bookmarks in each: each part's id is kept once.
        std::unordered_map<std::string_view, std::uint32_t> parts;
        std::string_view lastContentId;
        std::uint32_t lastPart = 0;
        ForEachRow([&](ReaderQuery& rows, bool deleted) {
            BookmarkLocation& location = read.places.emplace_back();
            location.bookmarkId = texts.Keep(rows.Text(kId));
            const std::string_view contentId = rows.Text(kContent);
            if (contentId != lastContentId || lastContentId.data() == nullptr) {
                const auto known = parts.find(contentId);
                if (known != parts.end()) {
                    lastContentId = known->first;
                    lastPart = known->second;
                } else {
                    lastContentId = texts.Keep(contentId);
                    lastPart = static_cast<std::uint32_t>(read.contentIds.size());
                    parts.emplace(lastContentId, lastPart);
                    read.contentIds.push_back(lastContentId);
                }
            }
            location.contentId = lastContentId;
            read.partOf.push_back(lastPart);
            location.startContainerPath = texts.Keep(rows.Text(kPath));
            location.startOffset = texts.Keep(rows.Text(kOffset));
            if (!m_onePass)
                return;
            if (read.places.size() > kOnePass) {
                // Too many to hold with their keys: the texts are read again once the order is known.
                m_onePass = false;
                std::vector<AnnotatedBookmark>().swap(volume.bookmarks);
                *volume.texts = TextStore();
                return;
            }
            Fill(volume, volume.bookmarks.emplace_back(), rows, deleted);
        });
        return read;
    }

    // Puts each bookmark at its place, volume.bookmarks[placeOf[k]], k its row's number in Read's order; reads their
    // texts again where Read did not keep them.
    void PutInOrder(AnnotatedVolume& volume, const std::vector<std::size_t>& placeOf,
                    const std::vector<std::uint32_t>& partOf) {
        if (m_onePass) {
            std::vector<AnnotatedBookmark> ordered(placeOf.size());
            for (std::size_t k = 0; k < placeOf.size(); ++k) {
                ordered[placeOf[k]] = volume.bookmarks[k];
                ordered[placeOf[k]].part = partOf[k];
            }
            volume.bookmarks = std::move(ordered);
            return;
        }
        volume.bookmarks.resize(placeOf.size());
        std::size_t k = 0;
        ForEachRow([&](ReaderQuery& rows, bool deleted) {
            if (k == placeOf.size())
                ChangedMeanwhile();
            AnnotatedBookmark& bookmark = volume.bookmarks[placeOf[k]];
            bookmark.part = partOf[k++];
            Fill(volume, bookmark, rows, deleted);
        });
        if (k != placeOf.size())
            ChangedMeanwhile();
    }

private:
    // The bookmark's own columns from its row, its texts kept in the volume.
    void Fill(AnnotatedVolume& volume, AnnotatedBookmark& bookmark, ReaderQuery& rows, bool deleted) const {
        bookmark.bookmarkId = volume.Keep(rows.Text(kId));
        bookmark.text = volume.Keep(rows.Text(kText));
        bookmark.annotation = volume.Keep(rows.Text(kNote));
        bookmark.gone = rows.Text(kGone) == "1";
        if (const std::string_view lastSeen = rows.Text(kLastSeen); !lastSeen.empty())
            bookmark.lastSeen = volume.Keep(lastSeen);
        if (!m_options.wholeRecords)
            return;
        bookmark.deleted = deleted;
        // The known types and colours are views of constants; anything else is kept.
        const auto keptUnlessKnown = [&volume](std::string_view value, std::string_view stored) {
            return value.data() == stored.data() ? volume.Keep(value) : value;
        };
        bookmark.type = keptUnlessKnown(KnownOrStored(rows.Text(kType)), rows.Text(kType));
        bookmark.color = keptUnlessKnown(StoredColorName(rows.Text(kColor)), rows.Text(kColor));
        bookmark.dateCreated = volume.Keep(rows.Text(kCreated));
        bookmark.dateModified = volume.Keep(rows.Text(kModified));
        bookmark.chapterProgress = StoredNumber(rows.Text(kProgress));
        if (bookmark.type == "markup")
            bookmark.markupImage = volume.Keep(MarkupImage(m_markups, bookmark.bookmarkId).native());
    }

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
            const bool deleted = IsDeletedOnReader(rows.Text(kHidden));
            if (!(m_options.skipDeletedHighlights && deleted))
                read(rows, deleted);
        }
    }

    ReaderConnection& m_reader;
    const std::string& m_volumeId;
    const ReadingOptions& m_options;
    std::filesystem::path m_markups;
    std::vector<QueryColumn> m_columns;
    bool m_onePass = true; // the first pass kept every bookmark's texts
};

// The facts on the book's own content row, the reader's own record of the book: its title and author before those of
// the index, which come from the rows of its parts and are missing where those rows carry no BookTitle.
void ReadBookFacts(ReaderConnection& reader, AnnotatedVolume& volume) {
    ReaderQuery rows(reader, "content",
                     {"Title", "Attribution", Optional("Publisher"), Optional("ISBN"), Optional("Language"),
                      Optional("Series"), Optional("SeriesNumber"), Optional("Description"), Optional("___PercentRead"),
                      Optional("ReadStatus"), Optional("DateLastRead"), Optional("TimeSpentReading"),
                      Optional("MimeType"), Optional("ImageId")},
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
    volume.imageId = rows.Text(13);
    volume.collections = ReadCollections(reader, volume.volumeId);
    volume.rating = ReadRating(reader, volume.volumeId);
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
    AnnotatedVolume volume;
    volume.volumeId = volumeId;
    volume.fromArchive = reader.Schema().Has("Bookmark", kArchiveGoneColumn);
    BookmarkRows rows(reader, volumeId, options);
    auto locationTexts = std::make_unique<TextStore>();
    Locations locations = rows.Read(ExpectedBookmarks(index, volumeId, options), *locationTexts, volume);
    progress.SetStatus("extracting annotations");
    progress.StartProgress(locations.places.size());
    std::vector<PartRow> parts = ReadVolumeParts(reader, volumeId, locations.contentIds, options, chapterTitles);
    // Once every part is read: the locations view their places.
    for (std::size_t i = 0; i < locations.places.size(); ++i)
        locations.places[i].partIndex = parts[locations.partOf[i]].volumeIndex;

    volume.title = index.TitlePairs.ValueOf(volumeId);
    volume.author = index.AuthorPairs.ValueOf(volumeId);
    if (options.wholeRecords)
        ReadBookFacts(reader, volume);
    volume.parts.reserve(parts.size());
    for (PartRow& part : parts)
        volume.parts.push_back(std::move(part.facts));
    std::vector<std::size_t> placeOf;
    {
        const std::vector<std::size_t> order =
            ReadingOrder(std::move(locations.places), index.Volumes.Order(), progress);
        locationTexts.reset();
        placeOf.resize(order.size());
        for (std::size_t place = 0; place < order.size(); ++place)
            placeOf[order[place]] = place;
    }
    rows.PutInOrder(volume, placeOf, locations.partOf);
    return volume;
}

std::optional<AnnotatedVolume> ReadAnnotatedVolume(const std::filesystem::path& database, const LibraryIndex& index,
                                                   const std::string& volumeId, const ReadingOptions& options,
                                                   ProgressReporter& progress, KeptConnection* kept) {
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
