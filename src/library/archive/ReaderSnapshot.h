#pragma once

#include <span>
#include <string>
#include <vector>

class ReaderConnection;

// One bookmark (highlight, note, drawing, page bookmark) with every column the reader's Bookmark table has.
struct SnapshotBookmark {
    std::string bookmarkId;
    std::string volumeId;
    std::string contentId;
    std::string columns; // StoredRowJson of the whole row
    bool shown = true;   // not hidden: a highlight the reader deleted is kept in its table, marked Hidden
};

// A content row of a book that carries bookmarks, or of one of its parts, with the columns the exports and the
// statistics read.
struct SnapshotContent {
    std::string contentId;
    std::string bookId;
    std::string columns;
};

// One reading session: an AnalyticsEvents row of Type 'LeaveContent', every column.
struct SnapshotSession {
    std::string id;
    std::string columns;
};

// Takes what the archive keeps of one reader database, one row at a time, as it is read: all bookmarks, then the
// content rows, then the sessions. Rows are valid during the call.
class SnapshotSink {
public:
    virtual ~SnapshotSink() = default;
    virtual void Bookmark(const SnapshotBookmark& bookmark) = 0;
    virtual void EndOfBookmarks() = 0;
    virtual void Content(const SnapshotContent& content) = 0;
    virtual void Session(const SnapshotSession& session) = 0;
};

// The content columns the archive keeps: those the exports and the statistics read.
std::span<const char* const> ArchivedContentColumns();

// The reader's account: the UserID most of its bookmarks carry, else the ___UserID most of its content rows carry
// (the placeholder of books without an account left out); empty when there is none.
std::string ReadReaderAccount(ReaderConnection& reader);

// Reads the database's bookmarks (every column), the content rows of the books that carry them and of their parts
// (the columns the exports and the statistics read), and its reading sessions into sink, from a reading connection
// (ReadReaderDatabase's); errors of the access layer go on.
void ReadReaderSnapshot(ReaderConnection& reader, SnapshotSink& sink);
