#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

class TSQLiteDatabase;

// The columns of the reader's tables that are read (Bookmark and content, the statistics' AnalyticsEvents and Event,
// the saved words' WordList, the collections' Shelf and ShelfContent, and ratings): they grew over the firmware
// versions, so what is optional is asked here, once per connection.
class ReaderSchema {
public:
    // Never raises: a database that cannot answer (no such table, no database at all) has no columns here, and then
    // meets the reading's own queries and their errors.
    static ReaderSchema Probe(TSQLiteDatabase& db);

    // The first of the reader's tables, Bookmark and content, that the database shows to be missing or to be no table
    // (a view may be an endless query); empty when both are tables, or when the database cannot say.
    const std::string& NotATable() const { return m_notATable; }
    // Whether the table has the column, names compared as SQLite compares them.
    bool Has(std::string_view table, std::string_view column) const;
    // Whether content's primary key is its ContentID alone, so that no two rows share one.
    bool UniqueContentIds() const { return m_uniqueContentIds; }
    // The names of the table's columns, in their declared order; none for a table the database lacks, or whose name
    // is a view's (a view may be an endless query).
    const std::vector<std::string>& Columns(std::string_view table) const;

private:
    std::vector<std::string> m_bookmark;
    std::vector<std::string> m_content;
    std::map<std::string, std::vector<std::string>> m_others;
    std::string m_notATable;
    bool m_uniqueContentIds = false;
};
