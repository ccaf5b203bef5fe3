#include "ContentIdRepair.h"

#include "DeletedBookmarks.h"

#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <algorithm>
#include <string_view>
#include <system_error>

namespace {

const char* const kSelection = "SELECT ContentID FROM Bookmark WHERE VolumeID=? AND StartContainerPath LIKE "
                               "('%span#kobo%') AND ContentID LIKE ('%#%')";
const char* const kSelectionWithHidden = "SELECT ContentID, Hidden FROM Bookmark WHERE VolumeID=? AND "
                                         "StartContainerPath LIKE ('%span#kobo%') AND ContentID LIKE ('%#%')";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// SQLite matches names ignoring the case of ASCII letters only.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool NamesColumn(const std::string& id, const std::vector<std::string>& columns) {
    static const char* const kRowIdNames[] = {"rowid", "oid", "_rowid_"};
    const auto same = [&id](std::string_view name) { return SameName(id, name); };
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

std::string QuotedId(const std::string& id, const std::vector<std::string>& columns) {
    return Quoted(id, NamesColumn(id, columns) ? '\'' : '"');
}

std::vector<std::string> BookmarkColumns(TSQLiteDatabase& db) {
    TSQLiteTable rows = db.GetTable("PRAGMA table_info(Bookmark)");
    std::vector<std::string> names;
    if (rows.Count() == 0)
        return names;
    const auto nameColumn = static_cast<std::uint32_t>(rows.FieldIndex("name"));
    for (; !rows.Eof(); rows.Next())
        names.push_back(rows.FieldAsString(nameColumn));
    return names;
}

} // namespace

std::string RepairStatement(const std::string& newId, const std::string& oldId,
                            const std::vector<std::string>& bookmarkColumns) {
    return "UPDATE Bookmark SET ContentID=" + QuotedId(newId, bookmarkColumns) +
           " WHERE ContentID=" + QuotedId(oldId, bookmarkColumns) + ";";
}

std::vector<std::string> RepairContentIds(const std::filesystem::path& database, const std::string& volumeId,
                                          ProgressReporter& progress, bool skipDeletedHighlights) {
    // Opening a missing file would create an empty database in its place.
    std::error_code error;
    if (!std::filesystem::is_regular_file(database, error))
        return {};

    std::vector<std::string> statements;
    {
        TSQLiteDatabase db(database.string());
        const bool leaveOutDeleted = LeavesOutDeleted(db, skipDeletedHighlights);
        TSQLiteTable rows = db.GetTable(leaveOutDeleted ? kSelectionWithHidden : kSelection, {volumeId});
        progress.SetStatus("repair ContentID");
        progress.ResetProgress();
        if (rows.Count() > 0) {
            const std::vector<std::string> columns = BookmarkColumns(db);
            const auto contentColumn = static_cast<std::uint32_t>(rows.FieldIndex("ContentID"));
            const auto hiddenColumn = leaveOutDeleted ? static_cast<std::uint32_t>(rows.FieldIndex("Hidden")) : 0;
            for (; !rows.Eof(); rows.Next()) {
                if (leaveOutDeleted && IsDeletedOnReader(rows.FieldAsString(hiddenColumn)))
                    continue;
                const std::string oldId = rows.FieldAsString(contentColumn);
                statements.push_back(RepairStatement(oldId.substr(0, oldId.find('#')), oldId, columns));
            }
        }
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return statements;
}
