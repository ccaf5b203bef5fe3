#pragma once

#include "AsciiCase.h"
#include "SQLiteHandles.h"

#include <string>
#include <vector>

// Column type codes; they equal the library's fundamental type codes.
enum TColumnType : int { ctInteger = 1, ctNumeric = 2, ctText = 3, ctBlob = 4, ctNull = 5 };

// The type a result column is read in, fixed on its first row: from the declared type, compared whole and
// case-sensitively ("INTEGER", "BOOLEAN"; "NUMERIC", "FLOAT", "DOUBLE", "REAL"; "BLOB"; anything else is text), or,
// for a column without one, from the type of the value in that row.
TColumnType ColumnTypeOf(sqlite3_stmt* statement, int column);

// The index of the first column whose name (stored upper-cased) equals fieldName regardless of case; raises
// ESQLiteException when there are no columns or no such column.
int FindColumn(const std::vector<std::string>& upperCasedNames, const std::string& fieldName);
