#pragma once

#include "BindValue.h"
#include "TSQLiteCursor.h"

#include <string>
#include <string_view>
#include <vector>

class ReaderConnection;

// A column of a reader query. An optional one is left out of the query when the table lacks it, and then reads as
// empty text, as a NULL would.
struct QueryColumn {
    QueryColumn(const char* columnName) : name(columnName) {} // NOLINT: a plain name is a required column
    const char* name;
    bool optional = false;
    bool unread = false; // left out of the query whatever the table has: it keeps its place among the columns
};
inline QueryColumn Optional(const char* name) {
    QueryColumn column(name);
    column.optional = true;
    return column;
}
// A column that this query does not need: it reads as empty, and the others keep their numbers.
inline QueryColumn Unread(const char* name) {
    QueryColumn column(name);
    column.unread = true;
    return column;
}

// "SELECT <columns> FROM <table> <tail>", stepped row by row without copying.
class ReaderQuery {
public:
    ReaderQuery(ReaderConnection& reader, std::string_view table, const std::vector<QueryColumn>& columns,
                std::string_view tail = {}, const BindValues& values = {});

    // Moves to the next row; false when there is none.
    bool Step() { return m_rows.Step(); }
    // The k-th column as given, read as text; valid until the next Step.
    std::string_view Text(std::size_t k) {
        return m_positions[k] < 0 ? std::string_view() : m_rows.FieldAsText(static_cast<std::uint32_t>(m_positions[k]));
    }
    // The k-th column where it is stored as text without a NUL byte (TSQLiteCursor::StoredText).
    std::optional<std::string_view> StoredText(std::size_t k) {
        return m_positions[k] < 0 ? std::nullopt : m_rows.StoredText(static_cast<std::uint32_t>(m_positions[k]));
    }
    // Whether the k-th column is read at all.
    bool Has(std::size_t k) const { return m_positions[k] >= 0; }

private:
    // The statement's text: every required column and the optional ones the table has, in the order given.
    static std::string Sql(ReaderConnection& reader, std::string_view table, const std::vector<QueryColumn>& columns,
                           std::string_view tail, std::vector<int>& positions);

    std::vector<int> m_positions; // of each given column in the result; -1 when left out. Made before m_rows.
    TSQLiteCursor m_rows;
};
