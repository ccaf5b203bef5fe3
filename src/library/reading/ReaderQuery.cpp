#include "ReaderQuery.h"

#include "ReaderConnection.h"

std::string ReaderQuery::Sql(ReaderConnection& reader, std::string_view table, const std::vector<QueryColumn>& columns,
                             std::string_view tail, std::vector<int>& positions) {
    std::string sql = "SELECT ";
    int selected = 0;
    positions.clear();
    for (const QueryColumn& column : columns) {
        if (column.unread || (column.optional && !reader.Schema().Has(table, column.name))) {
            positions.push_back(-1);
            continue;
        }
        if (selected > 0)
            sql += ", ";
        sql += column.name;
        positions.push_back(selected++);
    }
    sql += " FROM ";
    sql += table;
    if (reader.AvoidsIndexes())
        sql += " NOT INDEXED";
    if (!tail.empty()) {
        sql += ' ';
        sql += tail;
    }
    return sql;
}

ReaderQuery::ReaderQuery(ReaderConnection& reader, std::string_view table, const std::vector<QueryColumn>& columns,
                         std::string_view tail, const BindValues& values)
    : m_rows(reader.Database(), Sql(reader, table, columns, tail, m_positions), values) {}
