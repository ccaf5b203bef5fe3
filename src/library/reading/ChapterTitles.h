#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

class ReaderConnection;

// The chapter titles of kepub books. A bookmark's part there is a spine file whose content row carries only its path
// as Title; the real titles stand in the table-of-contents rows (ContentType '899'), which name their spine file
// through ChapterIDBookmarked. Only rows of the spine file's own book (the same BookID) count: a row of another book
// naming the file says nothing about it. A spine file's title is that of the first such row in book order: lowest
// VolumeIndex (rows without one last), then ContentID.
class ChapterTitles {
public:
    // What the table of contents says of a spine file: the title and, where the database keeps one, its Depth.
    struct Chapter {
        std::string title;
        std::optional<std::int64_t> depth;
    };

    // The rows of one book, found through its BookID, which the table-of-contents rows share with the spine files
    // (an index serves it; nothing else about these rows is).
    void AddBook(ReaderConnection& reader, const std::string& bookId);
    // Every such row, for exporting many books in one go.
    static ChapterTitles ForAll(ReaderConnection& reader);

    // The chapter for the spine file of the book, or null when no row of that book names it.
    const Chapter* Find(const std::string& bookId, const std::string& spineFileId) const;

private:
    struct Entry {
        Chapter chapter;
        std::optional<std::int64_t> volumeIndex;
        std::string contentId;
    };
    void Read(ReaderConnection& reader, const std::string* bookId);

    // By BookID, then by spine file.
    std::unordered_map<std::string, std::unordered_map<std::string, Entry>> m_titles;
};
