#pragma once

#include "LibraryIndex.h"
#include "ReadingOptions.h"
#include "TextStore.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ReaderConnection;

// One listed book as the library table shows it.
struct OverviewBook {
    std::string volumeId;
    std::string title;          // as the "book titles" list has it
    std::string author;         // as the "authors" list has it
    std::size_t highlights = 0; // bookmarks holding highlighted text
    std::size_t notes = 0;      // bookmarks holding a note
    std::string lastHighlight;  // the newest DateCreated, as stored; empty where none is
    std::optional<double> percentRead;
    bool sideloaded = false;              // named by its path; a store book is named by its UUID
    std::string imageId;                  // what the reader names its pictures of the cover after (KoboImages.h)
    std::vector<std::string> collections; // the reader's shelves that hold it, in the order of their names
    // Read from other readers' files: the kinds of files its highlights came from ("Kindle", "KOReader + Kobo");
    // empty for a reader's database alone and for the archive.
    std::string sources;
};

// One bookmark of a listed book, with what a search over all books matches and shows. Its texts are views into the
// stores its overview keeps (LibraryOverview::texts).
struct OverviewHighlight {
    std::uint32_t book = 0;    // index into LibraryOverview::books
    std::uint32_t chapter = 0; // index into LibraryOverview::chapters
    std::string_view bookmarkId;
    std::string_view text;
    std::string_view note;
    std::string_view type;  // "highlight", "note", "dogear", "markup", or empty on older firmware
    std::string_view color; // "yellow", "pink", "blue", "green", "grey", or empty
    std::string_view date;  // DateCreated as stored
    // Read from the archive: the reader it came from no longer has it, and when that reader last showed it.
    std::string_view lastSeen;
    // Which kind of reader's files it was read from ("Kobo", "KOReader", "Kindle", "archive"); empty where the
    // overview was read from a reader's database alone.
    std::string_view source;
    bool deleted = false;
    bool gone = false;
};

// The heading of each part, in the order given (parts' ContentIDs), and what the views are kept in.
struct ChapterHeadings {
    std::vector<std::string_view> headings;
    std::shared_ptr<TextStore> texts = std::make_shared<TextStore>();
};

// Every listed book and every bookmark of those books, read in one pass over each table: what the library tab and the
// search across all highlights need, without reading any book on its own.
struct LibraryOverview {
    std::vector<OverviewBook> books; // in the order of the index's volumes
    std::vector<OverviewHighlight> highlights;
    // The heading of each part that bookmarks lie in, once a part, as the exports head it: its Title (in a kepub book
    // from the table of contents), or its ContentID where no content row describes it. Where headingsUnread says so,
    // each is still its part's ContentID.
    std::vector<std::string_view> chapters;
    // Read beside the index for the window's load: the chapters' headings, which take a pass over the whole content
    // table, are read later from this database with these options (ReadChapterHeadings), beside the window.
    struct UnreadHeadings {
        std::filesystem::path database;
        ReadingOptions options;
    };
    std::optional<UnreadHeadings> headingsUnread;
    // What the highlights' and the chapters' texts are kept in: tens of thousands of texts in a few blocks, read and
    // let go at once, where one allocation each cost as much as reading them.
    std::vector<std::shared_ptr<const TextStore>> texts;
    // Read from the archive: highlights may be gone from their reader.
    bool fromArchive = false;
    // Read from several sources: each highlight names its own.
    bool severalSources = false;

    // The heading of the highlight's chapter: from headings where they are given (read apart, ReadChapterHeadings),
    // else the overview's own.
    std::string_view ChapterOf(const OverviewHighlight& highlight, const ChapterHeadings* headings = nullptr) const {
        return headings ? headings->headings[highlight.chapter] : chapters[highlight.chapter];
    }
};

// An overview as its rows are read, before the index is known: the bookmarks of every volume (OverviewHighlight::book
// indexes volumes), the chapters (by their parts' ContentIDs), and each volume's ___PercentRead.
struct OverviewRows {
    std::vector<std::string_view> volumes;
    std::vector<std::optional<double>> percentRead; // by volume
    std::vector<std::string> imageIds;              // by volume
    std::vector<OverviewHighlight> highlights;
    std::vector<std::string_view> chapters;
    std::shared_ptr<TextStore> texts = std::make_shared<TextStore>(); // what the views above are kept in
    // The collections of each book that is on any, by volume id.
    std::map<std::string, std::vector<std::string>, std::less<>> collections;
};

// Reads the rows of the overview; deleted bookmarks are left out as options say. It needs no index, so that it can be
// read beside the index. Errors of the access layer go on to the caller.
OverviewRows ReadOverviewRows(ReaderConnection& reader, const ReadingOptions& options);
// The overview of the books the index lists, from the rows; its chapters are their parts' ContentIDs.
LibraryOverview JoinOverview(OverviewRows rows, const LibraryIndex& index);

// Reads them in one pass over the content table, a kepub book's table of contents with it where options say so.
ChapterHeadings ReadChapterHeadings(ReaderConnection& reader, const std::vector<std::string_view>& partIds,
                                    const ReadingOptions& options);
// The headings of the overview's chapters from the database that headingsUnread names; nothing where they are read
// already or the file is gone. Errors of the access layer go on to the caller.
std::optional<ChapterHeadings> ReadChapterHeadings(const LibraryOverview& overview);
// Gives the overview's chapters their headings.
void HeadChapters(LibraryOverview& overview, ChapterHeadings headings);

// The rows, joined, with their chapters headed.
LibraryOverview ReadLibraryOverview(ReaderConnection& reader, const LibraryIndex& index, const ReadingOptions& options);
