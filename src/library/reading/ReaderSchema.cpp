#include "ReaderSchema.h"

#include "AsciiCase.h"
#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"

#include <algorithm>
#include <optional>

namespace {

// The table's columns, and the names of those that make its primary key.
std::vector<std::string> ColumnsOf(TSQLiteDatabase& db, const std::string& table, std::vector<std::string>& key) {
    std::vector<std::string> names;
    key.clear();
    try {
        TSQLiteCursor rows(db, "PRAGMA table_info(" + table + ")");
        while (rows.Step()) {
            names.emplace_back(rows.FieldAsText(1)); // cid, name, type, notnull, dflt_value, pk
            if (rows.FieldAsText(5) != "0")
                key.push_back(names.back());
        }
    } catch (const ESQLiteException&) {
        names.clear();
        key.clear();
    }
    return names;
}

// What the schema says the object of that name is ("table", "view", ...), empty when there is none; nullopt when the
// schema cannot be read (no database, a damaged one): the reading's own queries then say what is wrong.
std::optional<std::string> KindOf(TSQLiteDatabase& db, const std::string& name) {
    try {
        // Names are matched as SQLite matches them, ignoring the case of ASCII letters.
        TSQLiteCursor rows(db, "SELECT type FROM sqlite_master WHERE name = '" + name + "' COLLATE NOCASE");
        return rows.Step() ? std::string(rows.FieldAsText(0)) : std::string();
    } catch (const ESQLiteException&) {
        return std::nullopt;
    }
}

} // namespace

ReaderSchema ReaderSchema::Probe(TSQLiteDatabase& db) {
    ReaderSchema schema;
    for (const char* table : {"Bookmark", "content"}) {
        const std::optional<std::string> kind = KindOf(db, table);
        if (kind && *kind != "table") {
            schema.m_notATable = table;
            return schema;
        }
    }
    std::vector<std::string> key;
    schema.m_bookmark = ColumnsOf(db, "Bookmark", key);
    schema.m_content = ColumnsOf(db, "content", key);
    schema.m_uniqueContentIds = key.size() == 1 && SameIgnoringAsciiCase(key.front(), "ContentID");
    // The statistics' tables, the saved words, the collections and the ratings came with later firmware; a view of
    // their names is read as no table at all.
    for (const char* table : {"AnalyticsEvents", "Event", "WordList", "Shelf", "ShelfContent", "ratings"}) {
        if (KindOf(db, table).value_or("") == "table")
            schema.m_others[table] = ColumnsOf(db, table, key);
    }
    return schema;
}

const std::vector<std::string>& ReaderSchema::Columns(std::string_view table) const {
    static const std::vector<std::string> kNone;
    if (SameIgnoringAsciiCase(table, "Bookmark"))
        return m_bookmark;
    if (SameIgnoringAsciiCase(table, "content"))
        return m_content;
    for (const auto& [name, columns] : m_others)
        if (SameIgnoringAsciiCase(table, name))
            return columns;
    return kNone;
}

bool ReaderSchema::Has(std::string_view table, std::string_view column) const {
    const std::vector<std::string>& columns = Columns(table);
    return std::any_of(columns.begin(), columns.end(),
                       [column](const std::string& name) { return SameIgnoringAsciiCase(name, column); });
}
