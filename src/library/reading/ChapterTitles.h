#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

class ReaderConnection;
class ReaderSchema;

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
    // Whether the database has the columns that table-of-contents rows are told by: without them, there are none.
    static bool Readable(const ReaderSchema& schema);
    // One table-of-contents row of the book, read by the caller: it names spineFile, and holds title, VolumeIndex and
    // Depth as read (empty where there is none), and its own ContentID.
    void AddRow(std::string_view bookId, std::string_view spineFile, std::string_view title,
                std::string_view volumeIndex, std::string_view contentId, std::string_view depth);

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
