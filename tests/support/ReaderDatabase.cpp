#include "ReaderDatabase.h"

#include <sqlite3.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fixture {

namespace {

void Check(sqlite3* connection, int rc, const std::string& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error("fixture: " + what + ": " + sqlite3_errmsg(connection));
}

struct StatementOwner {
    sqlite3_stmt* statement = nullptr;
    ~StatementOwner() { sqlite3_finalize(statement); }
};

Field Text(const OptionalText& text) {
    if (text)
        return *text;
    return nullptr;
}

} // namespace

std::string ReaderSchemaSql() {
    std::ifstream in(MARVIK_KOBO_SCHEMA_FILE);
    if (!in)
        throw std::runtime_error("fixture: cannot read " MARVIK_KOBO_SCHEMA_FILE);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ReaderDatabase::ReaderDatabase(std::filesystem::path file) : m_file(std::move(file)) {
    if (std::filesystem::exists(m_file))
        throw std::runtime_error("fixture: " + m_file.string() + " exists already");
    Exec(ReaderSchemaSql());
}

ReaderDatabase::~ReaderDatabase() {
    Close();
}

sqlite3* ReaderDatabase::Connection() {
    if (m_connection == nullptr) {
        const int rc = sqlite3_open(m_file.c_str(), &m_connection);
        Check(m_connection, rc, "open " + m_file.string());
    }
    return m_connection;
}

void ReaderDatabase::Close() {
    sqlite3_close(m_connection);
    m_connection = nullptr;
}

void ReaderDatabase::Exec(const std::string& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(Connection(), sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("fixture: " + message + " in: " + sql);
    }
}

std::string ReaderDatabase::QueryText(const std::string& sql) {
    StatementOwner owner;
    Check(Connection(), sqlite3_prepare_v2(Connection(), sql.c_str(), -1, &owner.statement, nullptr), sql);
    const int rc = sqlite3_step(owner.statement);
    Check(Connection(), rc, sql);
    if (rc != SQLITE_ROW || sqlite3_column_type(owner.statement, 0) == SQLITE_NULL)
        return {};
    return reinterpret_cast<const char*>(sqlite3_column_text(owner.statement, 0));
}

void ReaderDatabase::Insert(const std::string& sql, std::initializer_list<Field> values) {
    sqlite3* connection = Connection();
    StatementOwner owner;
    Check(connection, sqlite3_prepare_v2(connection, sql.c_str(), -1, &owner.statement, nullptr), sql);
    int parameter = 1;
    for (const Field& value : values) {
        int rc = SQLITE_OK;
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            rc = sqlite3_bind_int64(owner.statement, parameter, *integer);
        else if (const auto* text = std::get_if<std::string>(&value))
            rc = sqlite3_bind_text(owner.statement, parameter, text->data(), static_cast<int>(text->size()),
                                   SQLITE_TRANSIENT);
        else
            rc = sqlite3_bind_null(owner.statement, parameter);
        Check(connection, rc, sql);
        ++parameter;
    }
    Check(connection, sqlite3_step(owner.statement), sql);
}

void ReaderDatabase::AddBook(const Book& book) {
    Insert("INSERT INTO content (ContentID, ContentType, MimeType, Title, Attribution, ___UserID) "
           "VALUES (?, '6', ?, ?, ?, 'adobe_user')",
           {book.volumeId, book.mimeType, Text(book.title), Text(book.author)});
}

void ReaderDatabase::AddPart(const Part& part) {
    Field volumeIndex = nullptr;
    if (part.volumeIndex)
        volumeIndex = *part.volumeIndex;
    Insert("INSERT INTO content (ContentID, ContentType, MimeType, BookID, BookTitle, Title, Attribution, "
           "VolumeIndex, ChapterIDBookmarked, ___UserID) VALUES (?, ?, 'application/xhtml+xml', ?, ?, ?, ?, ?, ?, "
           "'adobe_user')",
           {part.contentId, part.contentType, Text(part.bookId), Text(part.bookTitle), Text(part.title),
            Text(part.attribution), volumeIndex, Text(part.chapterIdBookmarked)});
}

void ReaderDatabase::AddBookmark(const Bookmark& b) {
    Insert("INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, StartContainerChildIndex, "
           "StartOffset, EndContainerPath, EndContainerChildIndex, EndOffset, Text, Annotation, Hidden, Type) "
           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
           {b.bookmarkId, b.volumeId, b.contentId, b.startContainerPath, b.startContainerChildIndex, b.startOffset,
            b.startContainerPath, b.startContainerChildIndex, b.startOffset, Text(b.text), Text(b.annotation), b.hidden,
            std::string(b.annotation ? "note" : "highlight")});
}

} // namespace fixture
