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
    const Chapter* Find(std::string_view bookId, std::string_view spineFileId) const;

    // For a caller that reads the content table in a pass of its own: the columns a row of the table of contents is
    // read from, and the expression that tells such a row (1 or 0), as ForAll selects them.
    static constexpr const char* kSpineFileColumn = "ChapterIDBookmarked";
    static constexpr const char* kIndexColumn = "VolumeIndex";
    static constexpr const char* kDepthColumn = "Depth";
    static constexpr const char* kIsTocRow = "(ContentType = '899' AND BookID IS NOT NULL)";

private:
    struct Entry {
        Chapter chapter;
        std::optional<std::int64_t> volumeIndex;
        std::string contentId;
    };
    void Read(ReaderConnection& reader, const std::string* bookId);

    // Looked up by text as it stands, without making a string of it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    template <class Value> using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

    // By BookID, then by spine file.
    TextMap<TextMap<Entry>> m_titles;
};
