#include "TSQLiteCursor.h"

#include "GeneralFloatFormat.h"
#include "TSQLiteDatabase.h"

#include <sqlite3.h>

TSQLiteCursor::TSQLiteCursor(TSQLiteDatabase& database, const std::string& sql, const BindValues& values)
    : m_database(database), m_sql(sql), m_statement(database.TakeStatement(sql)) {
    database.BindData(m_statement.get(), values);
}

TSQLiteCursor::~TSQLiteCursor() {
    // A failed statement is finalized here, so that the connection's last error stays the one it met.
    if (!m_failed)
        m_database.PutBack(m_sql, std::move(m_statement));
}

bool TSQLiteCursor::Step() {
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_DONE) {
        m_onRow = false;
        return false;
    }
    if (rc == SQLITE_BUSY) {
        m_failed = true;
        throw ESQLiteException("Could not prepare SQL statement", SQLITE_BUSY);
    }
    if (rc != SQLITE_ROW) {
        m_failed = true;
        sqlite3_reset(m_statement.get());
        m_database.RaiseError("Could not retrieve data", m_sql);
    }
    if (m_columnTypes.empty()) {
        const int count = sqlite3_column_count(m_statement.get());
        for (int c = 0; c < count; ++c) {
            const char* name = sqlite3_column_name(m_statement.get(), c);
            m_columnNames.push_back(UpperCaseAscii(name ? name : ""));
            m_columnTypes.push_back(ColumnTypeOf(m_statement.get(), c));
        }
        m_converted.resize(m_columnTypes.size());
    }
    m_onRow = true;
    return true;
}

int TSQLiteCursor::FieldIndex(const std::string& fieldName) const {
    return FindColumn(m_columnNames, fieldName);
}

void TSQLiteCursor::RequireColumn(std::uint32_t column) const {
    if (!m_onRow)
        throw ESQLiteException("Table is at End of File");
    if (column >= m_columnTypes.size())
        throw ESQLiteException("Column index " + std::to_string(column) + " is out of range: the table has " +
                               std::to_string(m_columnTypes.size()) + " columns");
}

std::string_view TSQLiteCursor::FieldAsText(std::uint32_t column) {
    RequireColumn(column);
    sqlite3_stmt* statement = m_statement.get();
    const int c = static_cast<int>(column);
    const TColumnType type = m_columnTypes[column];
    // Text columns need no separate test for NULL: the library gives no text for it.
    if (type != ctText && type != ctNull && sqlite3_column_type(statement, c) == SQLITE_NULL)
        return {};
    switch (type) {
    case ctInteger:
        m_converted[column] = std::to_string(sqlite3_column_int64(statement, c));
        return m_converted[column];
    case ctNumeric:
        m_converted[column] = FormatGeneralFloat(sqlite3_column_double(statement, c), LocaleDecimalSeparator());
        return m_converted[column];
    case ctBlob: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
        const int size = sqlite3_column_bytes(statement, c);
        return bytes ? std::string_view(bytes, static_cast<std::size_t>(size)) : std::string_view();
    }
    case ctText:
    case ctNull:
        break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
    return text ? std::string_view(text) : std::string_view();
}

std::optional<std::string_view> TSQLiteCursor::StoredText(std::uint32_t column) {
    if (!m_onRow || column >= m_columnTypes.size())
        return std::nullopt;
    sqlite3_stmt* statement = m_statement.get();
    const int c = static_cast<int>(column);
    if (sqlite3_column_type(statement, c) != SQLITE_TEXT)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
    const std::string_view value(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
    if (value.find('\0') != std::string_view::npos)
        return std::nullopt;
    return value;
}

TStoredField TSQLiteCursor::StoredField(std::uint32_t column) {
    RequireColumn(column);
    sqlite3_stmt* statement = m_statement.get();
    const int c = static_cast<int>(column);
    TStoredField field;
    switch (sqlite3_column_type(statement, c)) {
    case SQLITE_INTEGER:
        field.kind = TStoredField::Kind::Integer;
        field.integer = sqlite3_column_int64(statement, c);
        break;
    case SQLITE_FLOAT:
        field.kind = TStoredField::Kind::Real;
        field.real = sqlite3_column_double(statement, c);
        break;
    case SQLITE_TEXT: {
        field.kind = TStoredField::Kind::Text;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
        field.bytes = std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
        break;
    }
    case SQLITE_BLOB: {
        field.kind = TStoredField::Kind::Blob;
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
        field.bytes =
            std::string_view(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
        break;
    }
    default:
        break;
    }
    return field;
}

std::uint32_t TSQLiteCursor::ColumnCount() const {
    return static_cast<std::uint32_t>(sqlite3_column_count(m_statement.get()));
}
