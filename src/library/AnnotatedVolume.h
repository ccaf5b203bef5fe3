#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One part (chapter, spine file) of a book, as its content row describes it.
struct PartFacts {
    std::string contentId; // as the bookmarks name it
    bool found = false;    // a content row has this ContentID
    std::string title;     // its Title, or the chapter title from the table of contents
    std::string attribution;
};

// One highlight or note, its columns as read (a NULL reads as empty text).
struct AnnotatedBookmark {
    std::string bookmarkId;
    std::string text;       // the highlighted text
    std::string annotation; // the reader's note
    std::size_t part = 0;   // index into AnnotatedVolume::parts
};

// What an export knows of one volume: the book's facts and its bookmarks in reading order. It holds no trace of any
// file format; writers make files of it.
struct AnnotatedVolume {
    std::string volumeId;
    std::string title;  // from the book titles of the index; empty when there is none
    std::string author; // from the authors of the index
    std::vector<PartFacts> parts;
    std::vector<AnnotatedBookmark> bookmarks;

    const PartFacts& PartOf(const AnnotatedBookmark& bookmark) const { return parts[bookmark.part]; }
};
