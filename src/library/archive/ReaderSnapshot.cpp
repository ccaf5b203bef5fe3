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

void ReadBookmarks(ReaderConnection& reader, ReaderSnapshot& snapshot) {
    const std::vector<std::string>& columns = reader.Schema().Columns("Bookmark");
    const auto id = IndexOf(columns, "BookmarkID"), volume = IndexOf(columns, "VolumeID"),
               content = IndexOf(columns, "ContentID"), hidden = IndexOf(columns, "Hidden");
    if (!id || !volume)
        throw ESQLiteException("The file is not a reader database: it lacks the reader's Bookmark and content tables.",
                               1);
    TSQLiteCursor rows(reader.Database(), SelectOf(columns, "Bookmark", reader.AvoidsIndexes()));
    while (rows.Step()) {
        SnapshotBookmark& bookmark = snapshot.bookmarks.emplace_back();
        bookmark.bookmarkId = rows.FieldAsText(*id);
        bookmark.volumeId = rows.FieldAsText(*volume);
        if (content)
            bookmark.contentId = rows.FieldAsText(*content);
        bookmark.shown = !hidden || !IsDeletedOnReader(rows.FieldAsText(*hidden));
        bookmark.columns = StoredRowJson(rows, columns);
    }
}

// The rows of the books that carry bookmarks and of their parts: a row whose ContentID is such a book or a bookmark's
// part, or whose BookID is such a book (its chapters and table of contents).
void ReadContents(ReaderConnection& reader, ReaderSnapshot& snapshot) {
    std::vector<std::string> columns;
    for (const char* name : kContentColumns)
        if (reader.Schema().Has("content", name))
            columns.emplace_back(name);
    const auto id = IndexOf(columns, "ContentID"), book = IndexOf(columns, "BookID");
    if (!id)
        return;
    std::unordered_set<std::string> books, parts;
    for (const SnapshotBookmark& bookmark : snapshot.bookmarks) {
        books.insert(bookmark.volumeId);
        parts.insert(bookmark.contentId);
    }
    TSQLiteCursor rows(reader.Database(), SelectOf(columns, "content", reader.AvoidsIndexes()));
    while (rows.Step()) {
        const std::string contentId(rows.FieldAsText(*id));
        const std::string bookId = book ? std::string(rows.FieldAsText(*book)) : std::string();
        if (!books.contains(contentId) && !parts.contains(contentId) && !books.contains(bookId))
            continue;
        snapshot.contents.push_back({contentId, bookId, StoredRowJson(rows, columns)});
    }
}

void ReadSessions(ReaderConnection& reader, ReaderSnapshot& snapshot) {
    const std::vector<std::string> columns = TableColumnsOf(reader.Database(), "AnalyticsEvents");
    const auto id = IndexOf(columns, "Id");
    if (!id || !IndexOf(columns, "Type"))
        return;
    TSQLiteCursor rows(reader.Database(),
                       SelectOf(columns, "AnalyticsEvents", reader.AvoidsIndexes()) + " WHERE Type = 'LeaveContent'");
    while (rows.Step()) {
        std::string sessionId(rows.FieldAsText(*id));
        if (!sessionId.empty())
            snapshot.sessions.push_back({std::move(sessionId), StoredRowJson(rows, columns)});
    }
}

} // namespace

ReaderSnapshot ReadReaderSnapshot(ReaderConnection& reader) {
    ReaderSnapshot snapshot;
    ReadBookmarks(reader, snapshot);
    ReadContents(reader, snapshot);
    ReadSessions(reader, snapshot);
    snapshot.account = MostCommon(reader, "Bookmark", "UserID");
    if (snapshot.account.empty())
        snapshot.account = MostCommon(reader, "content", "___UserID");
    return snapshot;
}
