#pragma once

#include "BindValue.h"
#include "ColumnTypes.h"
#include "TStream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class TSQLiteDatabase;

// The complete result of one statement, copied into memory; it needs neither statement nor connection afterwards.
class TSQLiteTable {
public:
    TSQLiteTable(TSQLiteDatabase& database, const std::string& sql, const BindValues& values = {});
    virtual ~TSQLiteTable();

    TSQLiteTable(TSQLiteTable&&) noexcept;
    TSQLiteTable& operator=(TSQLiteTable&&) noexcept;
    TSQLiteTable(const TSQLiteTable&) = delete;
    TSQLiteTable& operator=(const TSQLiteTable&) = delete;

    std::uint32_t Count() const { return m_rowCount; }
    std::uint32_t ColumnCount() const { return m_columnCount; }
    // True when the cursor is at or past the last row ("EOF" is taken by the C library's macro).
    bool Eof() const { return m_currentRow >= m_rowCount; }
    bool Next();
    bool MoveTo(std::uint32_t row);
    std::uint32_t CurrentRow() const { return m_currentRow; }

    int FieldIndex(const std::string& fieldName) const;

    std::string FieldAsString(std::uint32_t column) const;
    std::int64_t FieldAsInteger(std::uint32_t column) const;
    double FieldAsDouble(std::uint32_t column) const;
    // The table's own stream, or null for an empty cell; it stays the table's.
    TMemoryStream* FieldAsBlob(std::uint32_t column) const;
    std::string FieldAsBlobText(std::uint32_t column) const;

private:
    using Cell = std::variant<std::monostate, std::int64_t, double, std::string, std::unique_ptr<TMemoryStream>>;

    void SetUpColumns(sqlite3_stmt* statement);
    void ReadRow(sqlite3_stmt* statement);
    const Cell& CellAt(std::uint32_t column) const;
    TColumnType TypeOf(std::uint32_t column) const { return m_columnTypes[column]; }

    std::vector<Cell> m_cells;
    std::uint32_t m_rowCount = 0;
    std::uint32_t m_columnCount = 0;
    std::vector<std::string> m_columnNames;
    std::vector<TColumnType> m_columnTypes;
    std::uint32_t m_currentRow = 0;
};
