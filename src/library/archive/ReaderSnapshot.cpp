#include "ReaderSnapshot.h"

#include "AsciiCase.h"
#include "ReaderConnection.h"
#include "StoredRow.h"
#include "TSQLiteCursor.h"
#include "VolumeReader.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace {

// The content columns that the exports and the statistics read; the others (covers, store flags, shelves) are the
// reader's business and would double the archive's size.
constexpr const char* kContentColumns[] = {"ContentID",
                                           "ContentType",
                                           "MimeType",
                                           "BookID",
                                           "BookTitle",
                                           "Title",
                                           "Attribution",
                                           "Publisher",
                                           "ISBN",
                                           "Language",
                                           "Series",
                                           "SeriesNumber",
                                           "Description",
                                           "___PercentRead",
                                           "ReadStatus",
                                           "DateLastRead",
                                           "TimeSpentReading",
                                           "VolumeIndex",
                                           "___FileOffset",
                                           "___FileSize",
                                           "Depth",
                                           "ChapterIDBookmarked",
                                           "TimesStartedReading",
                                           "LastTimeStartedReading",
                                           "LastTimeFinishedReading",
                                           "RestOfBookEstimate",
                                           "___UserID"};

} // namespace

std::span<const char* const> ArchivedContentColumns() {
    return kContentColumns;
}

namespace {

// Books kept without an account carry this in place of one.
constexpr std::string_view kNoAccount = "adobe_user";

std::string Quoted(const std::string& name) {
    std::string quoted = "\"";
    for (const char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string SelectOf(const std::vector<std::string>& columns, const std::string& table, bool avoidIndexes) {
    std::string sql = "SELECT ";
    for (std::size_t k = 0; k < columns.size(); ++k)
        sql += (k ? ", " : "") + Quoted(columns[k]);
    return sql + " FROM " + table + (avoidIndexes ? " NOT INDEXED" : "");
}

std::optional<std::uint32_t> IndexOf(const std::vector<std::string>& columns, std::string_view name) {
    for (std::uint32_t k = 0; k < columns.size(); ++k)
        if (SameIgnoringAsciiCase(columns[k], name))
            return k;
    return std::nullopt;
}

// The columns of a table that is one, in their declared order; none for a view, a missing table or one that cannot
// be read: a view in a table's place may be an endless query.
std::vector<std::string> TableColumnsOf(TSQLiteDatabase& db, const std::string& table) {
    std::vector<std::string> names;
    try {
        TSQLiteCursor kind(db, "SELECT type FROM sqlite_master WHERE name = '" + table + "' COLLATE NOCASE");
        if (!kind.Step() || kind.FieldAsText(0) != "table")
            return names;
        TSQLiteCursor rows(db, "PRAGMA table_info(" + Quoted(table) + ")");
        while (rows.Step())
            names.emplace_back(rows.FieldAsText(1));
    } catch (const ESQLiteException&) {
        names.clear();
    }
    return names;
}

// The value of column most rows of table carry, other than empty and the placeholder of no account.
std::string MostCommon(ReaderConnection& reader, const char* table, const char* column) {
    if (!reader.Schema().Has(table, column))
        return {};
    TSQLiteCursor rows(reader.Database(),
                       std::string("SELECT ") + column + ", count(*) AS n FROM " + table + " WHERE " + column +
                           " <> '' AND " + column + " <> ? GROUP BY 1 ORDER BY n DESC, 1 LIMIT 1",
                       {std::string(kNoAccount)});
    return rows.Step() ? std::string(rows.FieldAsText(0)) : std::string();
}

// The books and parts the bookmarks name, whose content rows are read.
struct NamedContent {
    std::unordered_set<std::string> books;
    std::unordered_set<std::string> parts;
};

void ReadBookmarks(ReaderConnection& reader, SnapshotSink& sink, NamedContent& named) {
    const std::vector<std::string>& columns = reader.Schema().Columns("Bookmark");
    const auto id = IndexOf(columns, "BookmarkID"), volume = IndexOf(columns, "VolumeID"),
               content = IndexOf(columns, "ContentID"), hidden = IndexOf(columns, "Hidden");
    if (!id || !volume)
        throw ESQLiteException("The file is not a reader database: it lacks the reader's Bookmark and content tables.",
                               1);
    TSQLiteCursor rows(reader.Database(), SelectOf(columns, "Bookmark", reader.AvoidsIndexes()));
    SnapshotBookmark bookmark; // its strings keep their room from row to row
    while (rows.Step()) {
        bookmark.bookmarkId = rows.FieldAsText(*id);
        bookmark.volumeId = rows.FieldAsText(*volume);
        bookmark.contentId = content ? rows.FieldAsText(*content) : std::string_view();
        bookmark.shown = !hidden || !IsDeletedOnReader(rows.FieldAsText(*hidden));
        StoredRowJson(bookmark.columns, rows, columns);
        if (!named.books.contains(bookmark.volumeId))
            named.books.insert(bookmark.volumeId);
        if (!named.parts.contains(bookmark.contentId))
            named.parts.insert(bookmark.contentId);
        sink.Bookmark(bookmark);
    }
    sink.EndOfBookmarks();
}

// The rows of the books that carry bookmarks and of their parts: a row whose ContentID is such a book or a bookmark's
// part, or whose BookID is such a book (its chapters and table of contents); and the row of every book (ContentType
// 6), which the statistics read for its reading times whether it carries bookmarks or not.
void ReadContents(ReaderConnection& reader, SnapshotSink& sink, const NamedContent& named) {
    std::vector<std::string> columns;
    for (const char* name : kContentColumns)
        if (reader.Schema().Has("content", name))
            columns.emplace_back(name);
    const auto id = IndexOf(columns, "ContentID"), book = IndexOf(columns, "BookID"),
               type = IndexOf(columns, "ContentType");
    if (!id)
        return;
    TSQLiteCursor rows(reader.Database(), SelectOf(columns, "content", reader.AvoidsIndexes()));
    SnapshotContent row;
    while (rows.Step()) {
        row.contentId = rows.FieldAsText(*id);
        row.bookId = book ? rows.FieldAsText(*book) : std::string_view();
        // Most rows are parts of a book that carries bookmarks: their BookID is looked up first.
        if (!named.books.contains(row.bookId) && !named.books.contains(row.contentId) &&
            !named.parts.contains(row.contentId) && !(type && rows.FieldAsText(*type) == "6"))
            continue;
        StoredRowJson(row.columns, rows, columns);
        sink.Content(row);
    }
}

void ReadSessions(ReaderConnection& reader, SnapshotSink& sink) {
    const std::vector<std::string> columns = TableColumnsOf(reader.Database(), "AnalyticsEvents");
    const auto id = IndexOf(columns, "Id");
    if (!id || !IndexOf(columns, "Type"))
        return;
    TSQLiteCursor rows(reader.Database(),
                       SelectOf(columns, "AnalyticsEvents", reader.AvoidsIndexes()) + " WHERE Type = 'LeaveContent'");
    SnapshotSession session;
    while (rows.Step()) {
        session.id = rows.FieldAsText(*id);
        if (session.id.empty())
            continue;
        StoredRowJson(session.columns, rows, columns);
        sink.Session(session);
    }
}

} // namespace

std::string ReadReaderAccount(ReaderConnection& reader) {
    std::string account = MostCommon(reader, "Bookmark", "UserID");
    return account.empty() ? MostCommon(reader, "content", "___UserID") : account;
}

void ReadReaderSnapshot(ReaderConnection& reader, SnapshotSink& sink) {
    NamedContent named;
    ReadBookmarks(reader, sink, named);
    ReadContents(reader, sink, named);
    ReadSessions(reader, sink);
}
