#include "DeletedBookmarks.h"

#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <algorithm>

namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

bool HasColumn(TSQLiteDatabase& db, const std::string& table, const std::string& column) {
    TSQLiteTable columns = db.GetTable("PRAGMA table_info(" + table + ")");
    if (columns.Count() == 0)
        return false;
    const auto name = static_cast<std::uint32_t>(columns.FieldIndex("name"));
    for (; !columns.Eof(); columns.Next())
        if (SameIgnoringAsciiCase(columns.FieldAsString(name), column))
            return true;
    return false;
}

bool IsDeletedOnReader(std::string_view hidden) {
    return SameIgnoringAsciiCase(hidden, "true") || hidden == "1";
}

bool LeavesOutDeleted(TSQLiteDatabase& db, bool skipDeletedHighlights) {
    if (!skipDeletedHighlights)
        return false;
    // Only compiled, never run: a database that cannot answer (no such column, no database at all) then meets the
    // reading's own query and its error.
    try {
        db.Prepare("SELECT Hidden FROM Bookmark");
        return true;
    } catch (const ESQLiteException&) {
        return false;
    }
}
