#include "ReaderDatabase.h"

#include <sqlite3.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace fixture {

namespace {

void Check(sqlite3* connection, int rc, const std::string& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error("fixture: " + what + ": " + sqlite3_errmsg(connection));
}

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement Prepare(sqlite3* connection, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(connection, sql.c_str(), -1, &raw, nullptr);
    Statement statement(raw, &sqlite3_finalize);
    Check(connection, rc, sql);
    return statement;
}

template <class T> Field Value(const std::optional<T>& value) {
    return value ? Field(*value) : Field(nullptr);
}

} // namespace

ReaderDatabase::ReaderDatabase(std::filesystem::path file) : m_file(std::move(file)) {
    if (std::filesystem::exists(m_file))
        throw std::runtime_error("fixture: " + m_file.string() + " exists already");
    std::ifstream schema(MARVIK_KOBO_SCHEMA_FILE);
    if (!schema)
        throw std::runtime_error("fixture: cannot read " MARVIK_KOBO_SCHEMA_FILE);
    std::ostringstream sql;
    sql << schema.rdbuf();
    Exec(sql.str());
}

ReaderDatabase::~ReaderDatabase() {
    Close();
}

sqlite3* ReaderDatabase::Connection() {
    if (m_connection == nullptr)
        Check(m_connection, sqlite3_open(m_file.c_str(), &m_connection), "open " + m_file.string());
    return m_connection;
}

void ReaderDatabase::Close() {
    sqlite3_close(m_connection);
    m_connection = nullptr;
}

void ReaderDatabase::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(Connection(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("fixture: " + message + " in: " + sql);
    }
}

std::string ReaderDatabase::QueryText(const std::string& sql) {
    const Statement statement = Prepare(Connection(), sql);
    const int rc = sqlite3_step(statement.get());
    Check(Connection(), rc, sql);
    const auto* text = rc == SQLITE_ROW ? sqlite3_column_text(statement.get(), 0) : nullptr;
    return text ? reinterpret_cast<const char*>(text) : "";
}

void ReaderDatabase::Insert(const std::string& sql, std::initializer_list<Field> values) {
    const Statement statement = Prepare(Connection(), sql);
    int parameter = 0;
    for (const Field& value : values) {
        sqlite3_stmt* s = statement.get();
        int rc = SQLITE_OK;
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            rc = sqlite3_bind_int64(s, ++parameter, *integer);
        else if (const auto* text = std::get_if<std::string>(&value))
            rc = sqlite3_bind_text(s, ++parameter, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else
            rc = sqlite3_bind_null(s, ++parameter);
        Check(Connection(), rc, sql);
    }
    Check(Connection(), sqlite3_step(statement.get()), sql);
}

void ReaderDatabase::Damage(const std::string& name, const std::string& pageType) {
    const auto pageSize = std::stoul(QueryText("PRAGMA page_size"));
    std::istringstream pages(QueryText("SELECT group_concat(pageno, ' ') FROM dbstat WHERE name = '" + name +
                                       "' AND pagetype = '" + pageType + "'"));
    Close();
    std::fstream file(m_file, std::ios::in | std::ios::out | std::ios::binary);
    for (std::size_t page = 0; pages >> page;) {
        file.seekp(static_cast<std::streamoff>((page - 1) * pageSize));
        file << std::string(pageSize, '\xAB');
    }
    if (!file.good())
        throw std::runtime_error("fixture: cannot damage " + m_file.string());
}

void ReaderDatabase::AddBook(const Book& book) {
    Insert("INSERT INTO content (ContentID, ContentType, MimeType, Title, Attribution, ___UserID) "
           "VALUES (?, '6', 'application/epub+zip', ?, ?, 'adobe_user')",
           {book.volumeId, Value(book.title), Value(book.author)});
}

void ReaderDatabase::AddPart(const Part& part) {
    Insert("INSERT INTO content (ContentID, ContentType, MimeType, BookID, BookTitle, Title, Attribution, "
           "VolumeIndex, ChapterIDBookmarked, ___UserID) VALUES (?, ?, 'application/xhtml+xml', ?, ?, ?, ?, ?, ?, "
           "'adobe_user')",
           {part.contentId, part.contentType, Value(part.bookId), Value(part.bookTitle), Value(part.title),
            Value(part.attribution), Value(part.volumeIndex), Value(part.chapterIdBookmarked)});
    // Only where given: schemas of older firmware have no Depth.
    if (part.depth)
        Insert("UPDATE content SET Depth = ? WHERE ContentID = ?", {*part.depth, part.contentId});
}

void ReaderDatabase::AddBookmark(const Bookmark& b) {
    Insert("INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, StartContainerChildIndex, "
           "StartOffset, EndContainerPath, EndContainerChildIndex, EndOffset, Text, Annotation, Hidden, Type) "
           "VALUES (?, ?, ?, ?, ?, 0, ?, ?, 0, ?, ?, ?, ?)",
           {b.bookmarkId, b.volumeId, b.contentId, b.startContainerPath, b.startContainerChildIndex,
            b.startContainerPath, b.startContainerChildIndex, Value(b.text), Value(b.annotation), b.hidden,
            std::string(b.annotation ? "note" : "highlight")});
}

void ReaderDatabase::SetReading(const std::string& volumeId, const BookReadingFacts& f) {
    Insert(
        "UPDATE content SET TimeSpentReading = ?, ___PercentRead = ?, ReadStatus = ?, DateLastRead = ?, "
        "LastTimeFinishedReading = ?, ISBN = ? WHERE ContentID = ? AND ContentType = '6'",
        {f.timeSpentReading, f.percentRead, f.readStatus, f.dateLastRead, f.lastTimeFinishedReading, f.isbn, volumeId});
}

void ReaderDatabase::AddAnalyticsTables() {
    // As a database of firmware 4.38 declares them.
    Exec("CREATE TABLE AnalyticsEvents( Id TEXT, Type TEXT, Timestamp TEXT, Attributes TEXT, Metrics TEXT, "
         "TestGroups TEXT, ClientApplicationVersion TEXT, Mandatory BIT DEFAULT FALSE, PRIMARY KEY(Id));"
         "CREATE INDEX analytics_events_timestamp ON AnalyticsEvents (Timestamp);"
         "CREATE TABLE Event ( EventType INTEGER NOT NULL, FirstOccurrence TEXT, LastOccurrence TEXT, "
         "EventCount INTEGER DEFAULT 0, ContentID TEXT, ExtraData BLOB, Checksum TEXT, "
         "PRIMARY KEY (EventType, ContentID) );");
}

void ReaderDatabase::AddSession(const Session& s) {
    const std::string metrics = s.metrics.value_or("{\"IdleTime\": " + std::to_string(s.idleTime) +
                                                   ",\"PagesTurned\": " + std::to_string(s.pagesTurned) +
                                                   ",\"SecondsRead\": " + std::to_string(s.secondsRead) + "}");
    // The reader writes its JSON unescaped; the fixtures' names hold no quotes.
    const std::string attributes = s.attributes.value_or(
        "{\"ContentFormat\": \"application/epub+zip\",\"ContentType\": \"application/epub+zip\","
        "\"Monetization\": \"Sideloaded\",\"Origin\": \"Sideloaded\",\"ViewType\": null,\"author\": \"" +
        s.author + "\",\"isbn\": \"" + s.isbn + "\",\"progress\": \"1\",\"title\": \"" + s.title + "\"}");
    Insert("INSERT INTO AnalyticsEvents (Id, Type, Timestamp, Attributes, Metrics, TestGroups, "
           "ClientApplicationVersion, Mandatory) VALUES (?, 'LeaveContent', ?, ?, ?, '{}', '4.38.23171', 'false')",
           {s.id, s.timestamp, attributes, metrics});
}

void ReaderDatabase::AddShelfAndWordTables() {
    Exec("CREATE TABLE Shelf (CreationDate TEXT, Id TEXT, InternalName TEXT, LastModified TEXT, Name TEXT, Type TEXT, "
         "_IsDeleted BOOL, _IsVisible BOOL, _IsSynced BOOL, _SyncTime TEXT, LastAccessed TEXT, PRIMARY KEY (Id));"
         "CREATE TABLE ShelfContent (ShelfName TEXT, ContentId TEXT, DateModified TEXT, _IsDeleted BOOL, "
         "_IsSynced BOOL, PRIMARY KEY (ShelfName, ContentId));"
         "CREATE TABLE ratings (ContentID TEXT NOT NULL, Rating INTEGER, Review TEXT, DateModified TEXT NOT NULL, "
         "PRIMARY KEY (ContentID));"
         "CREATE TABLE WordList (Text TEXT NOT NULL, VolumeId TEXT NULL, DictSuffix TEXT NULL, DateCreated TEXT NULL, "
         "PRIMARY KEY (Text));");
}

void ReaderDatabase::AddShelf(const std::string& name, bool deleted) {
    Insert("INSERT INTO Shelf (CreationDate, Id, InternalName, LastModified, Name, Type, _IsDeleted, _IsVisible, "
           "_IsSynced) VALUES ('2024-11-01T10:00:00Z', ?, ?, '2024-11-01T10:00:00Z', ?, 'UserTag', ?, 'true', 'false')",
           {name, name, name, std::string(deleted ? "true" : "false")});
}

void ReaderDatabase::AddToShelf(const std::string& shelfName, const std::string& volumeId, bool deleted) {
    Insert("INSERT INTO ShelfContent (ShelfName, ContentId, DateModified, _IsDeleted, _IsSynced) "
           "VALUES (?, ?, '2024-11-01T10:00:00Z', ?, 'false')",
           {shelfName, volumeId, std::string(deleted ? "true" : "false")});
}

void ReaderDatabase::SetRating(const std::string& volumeId, std::int64_t stars) {
    Insert("INSERT INTO ratings (ContentID, Rating, Review, DateModified) VALUES (?, ?, NULL, '2024-11-20T08:00:00Z')",
           {volumeId, stars});
}

void ReaderDatabase::AddSavedWord(const SavedWordRow& word) {
    Insert("INSERT INTO WordList (Text, VolumeId, DictSuffix, DateCreated) VALUES (?, ?, ?, ?)",
           {word.text, Value(word.volumeId), Value(word.dictSuffix), Value(word.dateCreated)});
}

} // namespace fixture
