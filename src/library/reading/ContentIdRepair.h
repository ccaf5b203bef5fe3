#pragma once

#include "KeptConnection.h"
#include "ProgressReporter.h"
#include "ReadingOptions.h"

#include <filesystem>
#include <string>
#include <vector>

// One statement per bookmark of the volume whose path holds "span#kobo" and whose ContentID holds a "#": each
// cuts that ContentID at its first "#". Nothing is run; the lines are for the SQL console.
// Empty, and no file is created, when the database file is gone. With skipDeletedHighlights, bookmarks that the
// reader deleted get no statement.
std::vector<std::string> RepairContentIds(const std::filesystem::path& database, const std::string& volumeId,
                                          ProgressReporter& progress, const ReadingOptions& options = {},
                                          KeptConnection* kept = nullptr);

// UPDATE Bookmark SET ContentID="new" WHERE ContentID="old"; with any double quote inside an id doubled. SQLite
// reads a double-quoted name of a column as that column, so an id naming one of bookmarkColumns (letter case
// ignored), or the rowid, stands between single quotes instead. The statement is always one line: an id holding a
// line feed or carriage return is written as 'piece' || char(10) || 'piece', with single quotes doubled.
std::string RepairStatement(const std::string& newId, const std::string& oldId,
                            const std::vector<std::string>& bookmarkColumns = {});
