#pragma once

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

// What the archive keeps of one reader database, as read at one moment.
struct ReaderSnapshot {
    // The reader's account: the UserID most of its bookmarks carry, else the ___UserID most of its content rows carry
    // (the placeholder of books without an account left out); empty when there is none.
    std::string account;
    std::vector<SnapshotBookmark> bookmarks;
    std::vector<SnapshotContent> contents;
    std::vector<SnapshotSession> sessions;
};

// Reads the snapshot from a reading connection (ReadReaderDatabase's); errors of the access layer go on.
ReaderSnapshot ReadReaderSnapshot(ReaderConnection& reader);
