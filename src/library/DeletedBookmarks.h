#pragma once

#include <string>
#include <string_view>

class TSQLiteDatabase;

// Whether the reader's table has the column: its schema grew over the firmware versions.
bool HasColumn(TSQLiteDatabase& db, const std::string& table, const std::string& column);

// Whether a Bookmark.Hidden value marks a highlight or note that the reader deleted: 'true' in any letter case, or 1.
bool IsDeletedOnReader(std::string_view hidden);

// Whether deleted bookmarks are to be left out of this database: when asked to and it records them at all.
bool LeavesOutDeleted(TSQLiteDatabase& db, bool skipDeletedHighlights);
