#include "ContentIdRepair.h"

#include "AsciiCase.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeReader.h"

#include <algorithm>
#include <string_view>

namespace {

bool NamesColumn(const std::string& id, const std::vector<std::string>& columns) {
    static const char* const kRowIdNames[] = {"rowid", "oid", "_rowid_"};
    const auto same = [&id](std::string_view name) { return SameIgnoringAsciiCase(id, name); };
    return std::any_of(std::begin(kRowIdNames), std::end(kRowIdNames), same) ||
           std::any_of(columns.begin(), columns.end(), same);
}

std::string Quoted(const std::string& id, char quote) {
    std::string text(1, quote);
    for (const char c : id) {
        text += c;
        if (c == quote)
            text += quote;
    }
    return text + quote;
}

// The SQL console runs each line as one statement, so a line feed or carriage return inside an id must not stand in
// the text: the id is written as its single-quoted pieces and char(10) / char(13) joined with "||".
std::string SplitAtLineBreaks(std::string_view id) {
    std::string text;
    while (!id.empty()) {
        if (!text.empty())
            text += " || ";
        if (id.front() == '\n' || id.front() == '\r') {
            text += id.front() == '\n' ? "char(10)" : "char(13)";
            id.remove_prefix(1);
            continue;
        }
        const std::size_t end = std::min(id.find_first_of("\r\n"), id.size());
        text += Quoted(std::string(id.substr(0, end)), '\'');
        id.remove_prefix(end);
    }
    return text;
}

std::string QuotedId(const std::string& id, const std::vector<std::string>& columns) {
    if (id.find_first_of("\r\n") != std::string::npos)
        return SplitAtLineBreaks(id);
    return Quoted(id, NamesColumn(id, columns) ? '\'' : '"');
}

} // namespace

std::string RepairStatement(const std::string& newId, const std::string& oldId,
                            const std::vector<std::string>& bookmarkColumns) {
    return "UPDATE Bookmark SET ContentID=" + QuotedId(newId, bookmarkColumns) +
           " WHERE ContentID=" + QuotedId(oldId, bookmarkColumns) + ";";
}

std::vector<std::string> RepairContentIds(const std::filesystem::path& database, const std::string& volumeId,
                                          ProgressReporter& progress, const ReadingOptions& options,
                                          KeptConnection* kept) {
    std::vector<std::string> statements;
    const bool read = ReadReaderDatabase(
        database, "the bookmarks of " + volumeId, progress,
        [&](ReaderConnection& reader) {
            statements.clear();
            const bool skipDeleted = options.skipDeletedHighlights;
            std::vector<QueryColumn> columns = {"ContentID"};
            if (skipDeleted)
                columns.push_back(Optional("Hidden"));
            ReaderQuery rows(reader, "Bookmark", columns,
                             "WHERE VolumeID=? AND StartContainerPath LIKE ('%span#kobo%') AND ContentID LIKE ('%#%')",
                             {volumeId});
            std::vector<std::string> oldIds;
            while (rows.Step())
                if (!(skipDeleted && IsDeletedOnReader(rows.Text(1))))
                    oldIds.emplace_back(rows.Text(0));
            progress.SetStatus("repair ContentID");
            progress.ResetProgress();
            const std::vector<std::string>& bookmarkColumns = reader.Schema().Columns("Bookmark");
            for (const std::string& oldId : oldIds)
                statements.push_back(RepairStatement(oldId.substr(0, oldId.find('#')), oldId, bookmarkColumns));
        },
        kept);
    if (!read)
        return {};
    progress.ResetProgress();
    progress.SetStatus("");
    return statements;
}
