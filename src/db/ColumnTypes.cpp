#include "ColumnTypes.h"

#include "ESQLiteException.h"

#include <sqlite3.h>

#include <string_view>

TColumnType ColumnTypeOf(sqlite3_stmt* statement, int column) {
    const char* declared = sqlite3_column_decltype(statement, column);
    if (declared == nullptr)
        return static_cast<TColumnType>(sqlite3_column_type(statement, column));
    const std::string_view type(declared);
    if (type == "INTEGER" || type == "BOOLEAN")
        return ctInteger;
    if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL")
        return ctNumeric;
    if (type == "BLOB")
        return ctBlob;
    return ctText;
}

int FindColumn(const std::vector<std::string>& upperCasedNames, const std::string& fieldName) {
    if (upperCasedNames.empty())
        throw ESQLiteException("Field " + fieldName + " Not found. Empty dataset");
    const std::string wanted = UpperCaseAscii(fieldName);
    for (std::size_t c = 0; c < upperCasedNames.size(); ++c)
        if (upperCasedNames[c] == wanted)
            return static_cast<int>(c);
    throw ESQLiteException("Field not found in dataset: " + fieldName);
}
