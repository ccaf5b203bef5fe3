#include "AnnotationExport.h"

#include "BookmarkOrder.h"
#include "TMyStringList.h"
#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <string_view>
#include <system_error>
#include <unordered_map>

namespace {

// Values are bound, never pasted into the text: an id holding a double quote, or naming a column, still selects
// exactly its own rows.
const char* const kBookmarkQuery = "SELECT BookmarkID, ContentID, StartContainerPath, StartOffset, Text, Annotation "
                                   "FROM Bookmark WHERE VolumeID=?";
const char* const kPartQuery = "SELECT Title, Attribution, VolumeIndex FROM content WHERE ContentID=?";

struct Part {
    bool found = false;
    std::string title;
    std::string attribution;
    std::string volumeIndex;
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

Part ReadPart(TSQLiteDatabase& db, const std::string& contentId) {
    TSQLiteTable rows = db.GetTable(kPartQuery, {contentId});
    Part part;
    if (rows.Count() == 0)
        return part;
    part.found = true;
    part.title = rows.FieldAsString(Column(rows, "Title"));
    part.attribution = rows.FieldAsString(Column(rows, "Attribution"));
    part.volumeIndex = rows.FieldAsString(Column(rows, "VolumeIndex"));
    return part;
}

// A book's bookmarks with their texts come to megabytes: they are read row by row, each bookmark line made at
// once, rather than copied into a table first.
void ReadBookmarks(TSQLiteDatabase& db, const std::string& volumeId, const std::string& separator, VolumeRows& volume) {
    TSQLiteCursor rows(db, kBookmarkQuery, {volumeId});
    std::uint32_t columns[6] = {};
    for (bool first = true; rows.Step(); first = false) {
        if (first) {
            const char* const names[6] = {"BookmarkID",  "ContentID", "StartContainerPath",
                                          "StartOffset", "Text",      "Annotation"};
            for (std::size_t c = 0; c < 6; ++c)
                columns[c] = Column(rows, names[c]);
        }
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

// One query for the bookmarks with their texts, one per distinct part; the connection closes on return.
VolumeRows ReadVolume(const std::filesystem::path& database, const std::string& volumeId, const std::string& separator,
                      ProgressReporter& progress) {
    TSQLiteDatabase db(database.string());
    VolumeRows volume;
    ReadBookmarks(db, volumeId, separator, volume);
    progress.SetStatus("extracting annotations");
    progress.StartProgress(volume.locations.size());
    for (BookmarkLocation& location : volume.locations) {
        auto [it, inserted] = volume.parts.try_emplace(location.contentId);
        if (inserted)
            it->second = ReadPart(db, location.contentId);
        location.partIndex = it->second.volumeIndex;
    }
    return volume;
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
                                         ProgressReporter& progress) {
    VolumeRows volume = ReadVolume(database, volumeId, separator, progress);
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

ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::string& separator,
                                const std::filesystem::path& target, const ExportOptions& options,
                                ProgressReporter& progress) {
    if (!IsExistingFile(database))
        return {ExportOutcome::NoDatabase, {}};

    TMyStringList lines(AnnotationLines(database, index, volumeId, separator, progress));
    if (options.setBom && lines.Count() > 0)
        lines[0].insert(0, "\xEF\xBB\xBF");

    ExportResult result{ExportOutcome::Failed, {}};
    const std::filesystem::path file = options.overrideExisting ? target : MakeNumberedFileName(target, ".txt");
    if (!file.empty()) {
        lines.SaveToUnicodeFile(file);
        if (IsExistingFile(file))
            result = {ExportOutcome::Written, file};
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}
