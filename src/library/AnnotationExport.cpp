#include "AnnotationExport.h"

#include "BookmarkOrder.h"
#include "ChapterTitles.h"
#include "DeletedBookmarks.h"
#include "TMyStringList.h"
#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace {

// Values are bound, never pasted into the text: an id holding a double quote, or naming a column, still selects
// exactly its own rows.
const char* const kBookmarkQuery = "SELECT BookmarkID, ContentID, StartContainerPath, StartOffset, Text, Annotation "
                                   "FROM Bookmark WHERE VolumeID=?";
const char* const kBookmarkQueryWithHidden = "SELECT BookmarkID, ContentID, StartContainerPath, StartOffset, Text, "
                                             "Annotation, Hidden FROM Bookmark WHERE VolumeID=?";
const char* const kPartQuery = "SELECT Title, Attribution, VolumeIndex FROM content WHERE ContentID=?";
const char* const kPartQueryWithType = "SELECT Title, Attribution, VolumeIndex, ContentType, BookID FROM content "
                                       "WHERE ContentID=?";

struct Part {
    bool found = false;
    std::string title;
    std::string attribution;
    std::string volumeIndex;
    bool spineFile = false; // ContentType '9': in a kepub book, its Title is only the file's path
    std::string bookId;
};

// What the reading order and the lines need of the volume's bookmarks, one entry per row in row order.
struct VolumeRows {
    std::vector<BookmarkLocation> locations;
    std::vector<std::string> bookmarkLines; // Text + separator + Annotation
    std::unordered_map<std::string, Part> parts;
};

bool IsExistingFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

template <class Rows> std::uint32_t Column(const Rows& rows, const char* name) {
    return static_cast<std::uint32_t>(rows.FieldIndex(name));
}

Part ReadPart(TSQLiteDatabase& db, const std::string& contentId, bool withType) {
    TSQLiteTable rows = db.GetTable(withType ? kPartQueryWithType : kPartQuery, {contentId});
    Part part;
    if (rows.Count() == 0)
        return part;
    part.found = true;
    part.title = rows.FieldAsString(Column(rows, "Title"));
    part.attribution = rows.FieldAsString(Column(rows, "Attribution"));
    part.volumeIndex = rows.FieldAsString(Column(rows, "VolumeIndex"));
    part.spineFile = withType && rows.FieldAsString(Column(rows, "ContentType")) == "9";
    if (part.spineFile)
        part.bookId = rows.FieldAsString(Column(rows, "BookID"));
    return part;
}

// A book's bookmarks with their texts come to megabytes: they are read row by row, each bookmark line made at
// once, rather than copied into a table first.
void ReadBookmarks(TSQLiteDatabase& db, const std::string& volumeId, const std::string& separator, bool leaveOutDeleted,
                   VolumeRows& volume) {
    TSQLiteCursor rows(db, leaveOutDeleted ? kBookmarkQueryWithHidden : kBookmarkQuery, {volumeId});
    std::uint32_t columns[7] = {};
    for (bool first = true; rows.Step(); first = false) {
        if (first) {
            const char* const names[7] = {"BookmarkID", "ContentID", "StartContainerPath", "StartOffset", "Text",
                                          "Annotation", "Hidden"};
            for (std::size_t c = 0; c < (leaveOutDeleted ? 7 : 6); ++c)
                columns[c] = Column(rows, names[c]);
        }
        // What the reader deleted counts as absent.
        if (leaveOutDeleted && IsDeletedOnReader(rows.FieldAsText(columns[6])))
            continue;
        BookmarkLocation location;
        location.bookmarkId = rows.FieldAsText(columns[0]);
        location.contentId = rows.FieldAsText(columns[1]);
        location.startContainerPath = rows.FieldAsText(columns[2]);
        location.startOffset = rows.FieldAsText(columns[3]);
        volume.locations.push_back(std::move(location));
        const std::string_view text = rows.FieldAsText(columns[4]);
        const std::string_view annotation = rows.FieldAsText(columns[5]);
        std::string line;
        line.reserve(text.size() + separator.size() + annotation.size());
        line += text;
        line += separator;
        line += annotation;
        volume.bookmarkLines.push_back(std::move(line));
    }
}

// One query for the bookmarks with their texts, one per distinct part, and for kepub books one for their chapter
// titles unless the caller has them already.
VolumeRows ReadVolume(TSQLiteDatabase& db, const std::string& volumeId, const std::string& separator,
                      const ExportOptions& options, const ChapterTitles* chapterTitles, ProgressReporter& progress) {
    VolumeRows volume;
    ReadBookmarks(db, volumeId, separator, LeavesOutDeleted(db, options.skipDeletedHighlights), volume);
    progress.SetStatus("extracting annotations");
    progress.StartProgress(volume.locations.size());
    std::set<std::string> books; // of the spine files
    for (BookmarkLocation& location : volume.locations) {
        auto [it, inserted] = volume.parts.try_emplace(location.contentId);
        if (inserted) {
            it->second = ReadPart(db, location.contentId, options.chapterTitlesFromToc);
            if (it->second.spineFile)
                books.insert(it->second.bookId);
        }
        location.partIndex = it->second.volumeIndex;
    }
    if (!books.empty()) {
        ChapterTitles own;
        if (!chapterTitles) {
            for (const std::string& book : books)
                own.AddBook(db, book);
            chapterTitles = &own;
        }
        for (auto& [contentId, part] : volume.parts)
            if (const std::string* title = part.spineFile ? chapterTitles->Find(contentId) : nullptr)
                part.title = *title;
    }
    return volume;
}

std::vector<std::string> LinesOf(TSQLiteDatabase& db, const LibraryIndex& index, const std::string& volumeId,
                                 const std::string& separator, const ExportOptions& options,
                                 const ChapterTitles* chapterTitles, ProgressReporter& progress) {
    VolumeRows volume = ReadVolume(db, volumeId, separator, options, chapterTitles, progress);
    const std::vector<std::size_t> order = ReadingOrder(volume.locations, index.Volumes.Order(), progress);

    std::vector<std::string> lines;
    lines.reserve(2 + order.size() * 2);
    lines.push_back(">>>Title: " + index.TitlePairs.ValueOf(volumeId));
    lines.push_back(">>>Author: " + index.AuthorPairs.ValueOf(volumeId));
    // Section lines come wherever the part changes byte for byte, also when the order returns to a part.
    std::string_view remembered;
    for (const std::size_t position : order) {
        const std::string& contentId = volume.locations[position].contentId;
        if (contentId != remembered) {
            remembered = contentId;
            const Part& part = volume.parts.at(contentId);
            if (part.found) {
                lines.push_back(">>>SECTION: " + part.title);
                if (!part.attribution.empty())
                    lines.push_back(">>>AUTHOR: " + part.attribution);
            } else {
                lines.push_back(">>>SECTION:" + contentId);
            }
        }
        lines.push_back(std::move(volume.bookmarkLines[position]));
    }
    return lines;
}

// Writes the lines under the target's name or its first free numbered variant; Failed when there is none or the
// file is not there afterwards.
ExportResult WriteAnnotationFile(std::vector<std::string> lines, const std::filesystem::path& target,
                                 const ExportOptions& options) {
    TMyStringList file(std::move(lines));
    if (options.setBom && file.Count() > 0)
        file[0].insert(0, "\xEF\xBB\xBF");
    const std::filesystem::path name = options.overrideExisting ? target : MakeNumberedFileName(target, ".txt");
    if (name.empty())
        return {ExportOutcome::Failed, {}};
    file.SaveToUnicodeFile(name);
    if (!IsExistingFile(name))
        return {ExportOutcome::Failed, {}};
    return {ExportOutcome::Written, name};
}

// Lets the exports of many books move one progress bar: their own statuses, starts and resets are not passed on.
class SharedProgress : public ProgressReporter {
public:
    explicit SharedProgress(ProgressReporter& outer) : m_outer(outer) {}
    void SetStatus(const std::string&) override {}
    void StartProgress(std::size_t) override {}
    void StepProgress() override { m_outer.StepProgress(); }
    void ResetProgress() override {}

private:
    ProgressReporter& m_outer;
};

// How many bookmarks the exports of the volumes will order, for the length of the progress bar.
std::size_t CountBookmarks(TSQLiteDatabase& db, const std::vector<std::string>& volumeIds, bool skipDeleted) {
    const bool leaveOutDeleted = LeavesOutDeleted(db, skipDeleted);
    std::unordered_map<std::string, std::size_t> counts;
    for (const std::string& id : volumeIds)
        counts.try_emplace(id, 0);
    TSQLiteCursor rows(db, leaveOutDeleted ? "SELECT VolumeID, Hidden FROM Bookmark" : "SELECT VolumeID FROM Bookmark");
    while (rows.Step()) {
        const auto found = counts.find(std::string(rows.FieldAsText(0)));
        if (found != counts.end() && !(leaveOutDeleted && IsDeletedOnReader(rows.FieldAsText(1))))
            ++found->second;
    }
    std::size_t total = 0;
    for (const std::string& id : volumeIds)
        total += counts[id];
    return total;
}

} // namespace

std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId) {
    const std::size_t slash = volumeId.rfind('/');
    const std::string stem = slash == std::string::npos ? volumeId : volumeId.substr(slash + 1);
    // The stem holds no "/", so the name is appended to the folder as one file name, whatever it holds.
    return resultsFolder / std::filesystem::path(stem + ".annotations.txt");
}

std::vector<std::string> AnnotationLines(const std::filesystem::path& database, const LibraryIndex& index,
                                         const std::string& volumeId, const std::string& separator,
                                         ProgressReporter& progress, const ExportOptions& options) {
    TSQLiteDatabase db(database.string());
    return LinesOf(db, index, volumeId, separator, options, nullptr, progress);
}

ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::string& separator,
                                const std::filesystem::path& target, const ExportOptions& options,
                                ProgressReporter& progress) {
    if (!IsExistingFile(database))
        return {ExportOutcome::NoDatabase, {}};
    // The connection is closed before the file is written.
    std::vector<std::string> lines = AnnotationLines(database, index, volumeId, separator, progress, options);
    const ExportResult result = WriteAnnotationFile(std::move(lines), target, options);
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}

ExportAllResult ExtractAllAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                      const std::vector<std::string>& volumeIds, const std::string& separator,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress) {
    ExportAllResult result;
    if (!IsExistingFile(database)) {
        result.noDatabase = true;
        return result;
    }
    TSQLiteDatabase db(database.string());
    progress.SetStatus("extracting annotations");
    progress.StartProgress(CountBookmarks(db, volumeIds, options.skipDeletedHighlights));
    // Read once for all books: looking the titles up book by book would read the content table each time.
    std::optional<ChapterTitles> chapterTitles;
    if (options.chapterTitlesFromToc)
        chapterTitles.emplace(ChapterTitles::ForAll(db));
    SharedProgress shared(progress);
    for (const std::string& id : volumeIds) {
        try {
            std::vector<std::string> lines =
                LinesOf(db, index, id, separator, options, chapterTitles ? &*chapterTitles : nullptr, shared);
            const ExportResult written =
                WriteAnnotationFile(std::move(lines), AnnotationTargetPath(resultsFolder, id), options);
            if (written.outcome == ExportOutcome::Written)
                result.written.push_back(written.file);
            else
                result.failed.push_back({id, "something went wrong!"});
        } catch (const std::exception& error) {
            // One book that cannot be read or written keeps none of the others from being written.
            result.failed.push_back({id, error.what()});
        }
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}
