#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

struct sqlite3;

namespace fixture {

// The value of one column: NULL, an integer, or a text.
using Field = std::variant<std::nullptr_t, std::int64_t, std::string>;
using OptionalText = std::optional<std::string>;

// The content row of a book file: its ContentID is the volume id, its Attribution the book's author.
struct Book {
    std::string volumeId{};
    OptionalText title{};
    OptionalText author{};
};

// The content row of one part (chapter, spine file or table-of-contents entry) of a book.
struct Part {
    std::string contentId{};
    OptionalText bookId{};
    OptionalText bookTitle{};
    OptionalText title{};
    OptionalText attribution{};
    std::optional<std::int64_t> volumeIndex{};
    std::string contentType = "9";
    OptionalText chapterIdBookmarked{};
    std::optional<std::int64_t> depth{}; // its level in the table of contents
};

// One row of the Bookmark table, at offset 0; the end of the bookmark repeats its start.
struct Bookmark {
    std::string bookmarkId{};
    std::string volumeId{};
    std::string contentId{};
    std::string startContainerPath = "span#kobo.1.1";
    Field startContainerChildIndex = std::int64_t{1};
    OptionalText text{};
    OptionalText annotation{};
    Field hidden = std::string("false");
};

// One reading session: an AnalyticsEvents row of Type 'LeaveContent' as firmware 4.38 writes it. The attributes
// name the book by title, author and "isbn" (the book's ISBN column); the metrics hold the session's figures.
// metrics or attributes, when given, are stored instead of the JSON made from the fields.
struct Session {
    std::string id{};
    std::string timestamp{}; // "2024-11-13T20:29:51Z"
    std::string title{};
    std::string author{};
    std::string isbn{};
    std::int64_t secondsRead = 0;
    std::int64_t pagesTurned = 0;
    std::int64_t idleTime = 0;
    OptionalText metrics{};
    OptionalText attributes{};
};

// The reading columns of a book's content row, as the reader keeps them.
struct BookReadingFacts {
    Field timeSpentReading = nullptr; // seconds
    Field percentRead = nullptr;
    Field readStatus = nullptr; // 0 unread, 1 reading, 2 finished
    Field dateLastRead = nullptr;
    Field lastTimeFinishedReading = nullptr;
    Field isbn = nullptr;
};

// One row of WordList: a word saved from a dictionary.
struct SavedWordRow {
    std::string text{};
    OptionalText volumeId{};
    OptionalText dictSuffix{}; // "-de"; empty for the default dictionary
    OptionalText dateCreated{};
};

// A reader-shaped SQLite file with the declared schema of the reader's Bookmark and content tables.
class ReaderDatabase {
public:
    // Creates the file (which must not exist yet) with both tables and their indexes.
    explicit ReaderDatabase(std::filesystem::path file);
    // Works on a file that exists already, as another program would.
    enum OpenExisting { Existing };
    ReaderDatabase(std::filesystem::path file, OpenExisting) : m_file(std::move(file)) {}
    ~ReaderDatabase();
    ReaderDatabase(const ReaderDatabase&) = delete;
    ReaderDatabase& operator=(const ReaderDatabase&) = delete;

    const std::filesystem::path& Path() const { return m_file; }

    void AddBook(const Book& book);
    void AddPart(const Part& part);
    void AddBookmark(const Bookmark& bookmark);
    // Sets the reading columns of a book added before.
    void SetReading(const std::string& volumeId, const BookReadingFacts& facts);
    // The AnalyticsEvents and Event tables of current firmware; the schema file holds only Bookmark and content,
    // as older firmware has no such tables.
    void AddAnalyticsTables();
    void AddSession(const Session& session);
    // The tables of the reader's collections (Shelf, ShelfContent), ratings and saved words (WordList), as current
    // firmware declares them; the schema file leaves them out, as a book's export needs none.
    void AddShelfAndWordTables();
    // A collection, and a book's place on it; _IsDeleted as the reader stores it, 'true' or 'false'.
    void AddShelf(const std::string& name, bool deleted = false);
    void AddToShelf(const std::string& shelfName, const std::string& volumeId, bool deleted = false);
    void SetRating(const std::string& volumeId, std::int64_t stars);
    void AddSavedWord(const SavedWordRow& word);
    // Runs any statements, for shapes the helpers do not make (dropped tables, other schemas, transactions).
    void Exec(const std::string& sql);
    // The first column of the first row of a query, as text; empty for NULL or no row.
    std::string QueryText(const std::string& sql);

    // Closes the builder's connection, so that the file is left alone; the next call reopens it.
    void Close();
    // Overwrites every page of the table or index of that name and page type (dbstat's "leaf", "internal") with
    // bytes that make no page; the connection is closed.
    void Damage(const std::string& name, const std::string& pageType);

private:
    sqlite3* Connection();
    void Insert(const std::string& sql, std::initializer_list<Field> values);

    std::filesystem::path m_file;
    sqlite3* m_connection = nullptr;
};

} // namespace fixture
