#include "TSQLiteTable.h"

#include "GeneralFloatFormat.h"
#include "TSQLiteDatabase.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <string_view>

namespace {

// Truncates toward zero; values beyond the 64-bit range give the nearest limit, not-a-number gives 0.
std::int64_t TruncateToInt64(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (value >= kTwoTo63)
        return std::numeric_limits<std::int64_t>::max();
    if (value < -kTwoTo63)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

} // namespace

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& database, const std::string& sql, const BindValues& values) {
    StatementHandle statement = database.Prepare(sql);
    database.BindData(statement.get(), values);
    for (;;) {
        const int rc = sqlite3_step(statement.get());
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_ROW) {
            ++m_rowCount;
            if (m_rowCount == 1)
                SetUpColumns(statement.get());
            ReadRow(statement.get());
        } else if (rc == SQLITE_BUSY) {
            throw ESQLiteException("Could not prepare SQL statement", SQLITE_BUSY);
        } else {
            sqlite3_reset(statement.get());
            database.RaiseError("Could not retrieve data", sql);
        }
    }
    m_currentRow = 0;
}

TSQLiteTable::~TSQLiteTable() = default;
TSQLiteTable::TSQLiteTable(TSQLiteTable&&) noexcept = default;
TSQLiteTable& TSQLiteTable::operator=(TSQLiteTable&&) noexcept = default;

void TSQLiteTable::SetUpColumns(sqlite3_stmt* statement) {
    m_columnCount = static_cast<std::uint32_t>(sqlite3_column_count(statement));
    for (std::uint32_t c = 0; c < m_columnCount; ++c) {
        const char* name = sqlite3_column_name(statement, static_cast<int>(c));
        m_columnNames.push_back(UpperCaseAscii(name ? name : ""));
    }
    for (std::uint32_t c = 0; c < m_columnCount; ++c) {
        const int column = static_cast<int>(c);
        m_columnTypes.push_back(ColumnTypeOf(statement, column));
    }
}

void TSQLiteTable::ReadRow(sqlite3_stmt* statement) {
    for (std::uint32_t c = 0; c < m_columnCount; ++c) {
        const int column = static_cast<int>(c);
        if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
            m_cells.emplace_back();
            continue;
        }
        switch (m_columnTypes[c]) {
        case ctInteger:
            m_cells.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
            break;
        case ctNumeric:
            m_cells.emplace_back(sqlite3_column_double(statement, column));
            break;
        case ctBlob: {
            const void* bytes = sqlite3_column_blob(statement, column);
            const int size = sqlite3_column_bytes(statement, column);
            if (size == 0 || bytes == nullptr) {
                m_cells.emplace_back();
            } else {
                auto stream = std::make_unique<TMemoryStream>();
                stream->Append(bytes, static_cast<std::size_t>(size));
                m_cells.emplace_back(std::move(stream));
            }
            break;
        }
        case ctText:
        case ctNull: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            m_cells.emplace_back(std::string(text ? text : ""));
            break;
        }
        }
    }
}

bool TSQLiteTable::Next() {
    if (Eof())
        return false;
    ++m_currentRow;
    return true;
}

bool TSQLiteTable::MoveTo(std::uint32_t row) {
    if (m_rowCount == 0 || row >= m_rowCount)
        return false;
    m_currentRow = row;
    return true;
}

int TSQLiteTable::FieldIndex(const std::string& fieldName) const {
    return FindColumn(m_columnNames, fieldName);
}

const TSQLiteTable::Cell& TSQLiteTable::CellAt(std::uint32_t column) const {
    if (Eof())
        throw ESQLiteException("Table is at End of File");
    if (column >= m_columnCount)
        throw ESQLiteException("Column index " + std::to_string(column) + " is out of range: the table has " +
                               std::to_string(m_columnCount) + " columns");
    return m_cells[static_cast<std::size_t>(m_currentRow) * m_columnCount + column];
}

std::string TSQLiteTable::FieldAsString(std::uint32_t column) const {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell))
        return {};
    switch (TypeOf(column)) {
    case ctInteger:
        return std::to_string(std::get<std::int64_t>(cell));
    case ctNumeric:
        return FormatGeneralFloat(std::get<double>(cell), LocaleDecimalSeparator());
    case ctBlob:
        return FieldAsBlobText(column);
    case ctText:
    case ctNull:
        // A column whose first value was NULL keeps its later values as text; they are returned, not hidden.
        return std::get<std::string>(cell);
    }
    return {};
}

std::int64_t TSQLiteTable::FieldAsInteger(std::uint32_t column) const {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell))
        return 0;
    if (TypeOf(column) == ctInteger)
        return std::get<std::int64_t>(cell);
    if (TypeOf(column) == ctNumeric)
        return TruncateToInt64(std::get<double>(cell));
    throw ESQLiteException("Not an integer or numeric field");
}

double TSQLiteTable::FieldAsDouble(std::uint32_t column) const {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell))
        return 0;
    if (TypeOf(column) == ctInteger)
        return static_cast<double>(std::get<std::int64_t>(cell));
    if (TypeOf(column) == ctNumeric)
        return std::get<double>(cell);
    throw ESQLiteException("Not an integer or numeric field");
}

TMemoryStream* TSQLiteTable::FieldAsBlob(std::uint32_t column) const {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell))
        return nullptr;
    if (TypeOf(column) != ctBlob)
        throw ESQLiteException("Not a Blob field");
    return std::get<std::unique_ptr<TMemoryStream>>(cell).get();
}

std::string TSQLiteTable::FieldAsBlobText(std::uint32_t column) const {
    TMemoryStream* stream = FieldAsBlob(column);
    if (stream == nullptr || stream->Size() == 0)
        return {};
    std::string bytes(static_cast<std::size_t>(stream->Size()), '\0');
    stream->SetPosition(0);
    stream->Read(bytes.data(), stream->Size());
    return bytes;
}
