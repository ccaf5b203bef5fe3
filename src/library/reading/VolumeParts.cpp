#include "VolumeParts.h"

#include "ChapterTitles.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "StoredValues.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

namespace {

// A stored Depth as a heading level: 1 where none is kept (older firmware) or the row stands outside the table of
// contents (0).
int TocDepth(std::optional<double> stored) {
    return stored && *stored >= 1 ? static_cast<int>(std::min(*stored, 100.0)) : 1;
}

// The columns of a part's row, in this order, after any that lead the query.
enum PartColumn { kTitle, kAttribution, kVolumeIndex, kContentType, kBookId, kFileOffset, kFileSize, kDepth };

// Only what is used is asked for, so that the statement of one part stays the one described where nothing more is
// wanted, and a volume's rows are read no further than needed.
std::vector<QueryColumn> PartColumns(const ReadingOptions& options) {
    const auto used = [](bool wanted, const char* name) { return wanted ? Optional(name) : Unread(name); };
    const bool toc = options.chapterTitlesFromToc || options.wholeRecords;
    return {"Title",
            "Attribution",
            Optional("VolumeIndex"),
            used(toc, "ContentType"),
            used(toc, "BookID"),
            used(options.wholeRecords, "___FileOffset"),
            used(options.wholeRecords, "___FileSize"),
            used(options.wholeRecords, "Depth")};
}

// The part from its row, whose columns start at first.
PartRow PartOf(ReaderQuery& rows, std::size_t first, std::string_view contentId, const ReadingOptions& options) {
    const auto text = [&rows, first](PartColumn column) { return rows.Text(first + column); };
    PartRow part;
    part.facts.contentId = contentId;
    part.facts.found = true;
    part.facts.title = text(kTitle);
    part.facts.attribution = text(kAttribution);
    part.volumeIndex = text(kVolumeIndex);
    part.spineFile = options.chapterTitlesFromToc && text(kContentType) == "9";
    if (part.spineFile)
        part.bookId = text(kBookId);
    if (options.wholeRecords) {
        part.facts.startPercent = StoredNumber(text(kFileOffset));
        part.facts.sizePercent = StoredNumber(text(kFileSize));
        // A plain EPUB's parts are its table-of-contents entries and keep their own Depth; a kepub's spine files
        // keep 0 there, and take the depth of the entry whose title they show.
        part.facts.depth = TocDepth(StoredNumber(text(kDepth)));
    }
    return part;
}

PartRow ReadPart(ReaderConnection& reader, std::string_view contentId, const ReadingOptions& options) {
    // Values are bound, never pasted into the text: an id holding a double quote, or naming a column, still selects
    // exactly its own rows.
    ReaderQuery rows(reader, "content", PartColumns(options), "WHERE ContentID=?", {std::string(contentId)});
    if (rows.Step())
        return PartOf(rows, 0, contentId, options);
    PartRow part;
    part.facts.contentId = contentId;
    return part;
}

// The volume's own rows: the parts among them, and its table of contents into titles. A ContentID is unique, so the
// row found here is the one its own query would find; it is matched as a bound text would be, byte for byte and only
// where stored as text.
void ReadBookRows(ReaderConnection& reader, const std::string& volumeId,
                  const std::unordered_map<std::string_view, std::size_t>& wanted, std::vector<PartRow>& parts,
                  std::vector<bool>& found, const ReadingOptions& options, ChapterTitles* titles) {
    std::vector<QueryColumn> columns = {"ContentID",
                                        titles ? Optional("ChapterIDBookmarked") : Unread("ChapterIDBookmarked")};
    const std::vector<QueryColumn> partColumns = PartColumns(options);
    columns.insert(columns.end(), partColumns.begin(), partColumns.end());
    constexpr std::size_t kFirst = 2;
    ReaderQuery rows(reader, "content", columns, "WHERE BookID=?", {volumeId});
    while (rows.Step()) {
        const std::optional<std::string_view> contentId = rows.StoredText(0);
        if (titles && rows.StoredText(kFirst + kContentType) == "899")
            titles->AddRow(volumeId, rows.Text(1), rows.Text(kFirst + kTitle), rows.Text(kFirst + kVolumeIndex),
                           rows.Text(0), rows.Text(kFirst + kDepth));
        if (!contentId)
            continue;
        if (const auto part = wanted.find(*contentId); part != wanted.end()) {
            parts[part->second] = PartOf(rows, kFirst, *contentId, options);
            found[part->second] = true;
        }
    }
}

} // namespace

std::vector<PartRow> ReadVolumeParts(ReaderConnection& reader, const std::string& volumeId,
                                     const std::vector<std::string_view>& contentIds, const ReadingOptions& options,
                                     const ChapterTitles* chapterTitles) {
    std::vector<PartRow> parts(contentIds.size());
    std::vector<bool> found(contentIds.size(), false);
    ChapterTitles own;
    bool ownHasVolume = false; // own holds the volume's table of contents
    const ReaderSchema& schema = reader.Schema();
    if (!reader.AvoidsIndexes() && schema.UniqueContentIds() && schema.Has("content", "BookID")) {
        std::unordered_map<std::string_view, std::size_t> wanted;
        for (std::size_t i = 0; i < contentIds.size(); ++i)
            wanted.emplace(contentIds[i], i);
        ownHasVolume = options.chapterTitlesFromToc && !chapterTitles && ChapterTitles::Readable(schema);
        ReadBookRows(reader, volumeId, wanted, parts, found, options, ownHasVolume ? &own : nullptr);
    }
    std::set<std::string> books; // of the spine files
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!found[i])
            parts[i] = ReadPart(reader, contentIds[i], options);
        if (parts[i].spineFile)
            books.insert(parts[i].bookId);
    }
    if (books.empty())
        return parts;
    if (!chapterTitles) {
        for (const std::string& book : books)
            if (!(ownHasVolume && book == volumeId))
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
