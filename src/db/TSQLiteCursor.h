#pragma once

#include "BindValue.h"
#include "ColumnTypes.h"
#include "SQLiteHandles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TSQLiteDatabase;

// One value of a row as SQLite stores it, without conversion: what a copy of the row needs to be the same row.
struct TStoredField {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string_view bytes; // of a text or a blob, NUL bytes included; valid until the next Step
};

// Steps through the rows of one statement without copying them, for reading large tables. Columns are typed and
// read as a TSQLiteTable reads them, and failures raise the same messages. The statement lives as long as the
// cursor; the connection must outlive it.
class TSQLiteCursor {
public:
    TSQLiteCursor(TSQLiteDatabase& database, const std::string& sql, const BindValues& values = {});
    // Its statement goes back to the connection for the next cursor of the same text, unless it failed.
    ~TSQLiteCursor();
    TSQLiteCursor(const TSQLiteCursor&) = delete;
    TSQLiteCursor& operator=(const TSQLiteCursor&) = delete;

    // Moves to the next row; false when there is none.
    bool Step();

    // Valid once a row has been read.
    int FieldIndex(const std::string& fieldName) const;
    // The column of the current row as FieldAsString of a table reads it; valid until the next Step, also while other
    // columns of the row are read.
    std::string_view FieldAsText(std::uint32_t column);
    // The column's value where it is stored as text holding no NUL byte: what a bound text compares equal to (under
    // the binary collation) exactly when their bytes are equal. Nothing for any other value.
    std::optional<std::string_view> StoredText(std::uint32_t column);
    // The column's value in its storage class, whatever the column's declared type.
    TStoredField StoredField(std::uint32_t column);
    // How many columns the statement gives.
    std::uint32_t ColumnCount() const;

private:
    // Raises when the cursor is on no row or the column is not one of its columns.
    void RequireColumn(std::uint32_t column) const;

    TSQLiteDatabase& m_database;
    std::string m_sql;
    StatementHandle m_statement;
    bool m_onRow = false;
    bool m_failed = false;
    std::vector<std::string> m_columnNames;
    std::vector<TColumnType> m_columnTypes;
    std::vector<std::string> m_converted; // a column's value made text, one per column
};
