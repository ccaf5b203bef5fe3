#pragma once

#include "TextStore.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One part (chapter, spine file) of a book, as its content row describes it.
struct PartFacts {
    std::string contentId; // as the bookmarks name it
    bool found = false;    // a content row has this ContentID
    std::string title;     // its Title, or the chapter title from the table of contents
    std::string attribution;
    // Where the part starts in the book and how much of it it is, in percent; unknown where the row has none.
    std::optional<double> startPercent;
    std::optional<double> sizePercent;
    // Its level in the book's table of contents: 1 for the top, 2 for what stands under it, and so on; 1 where the
    // database keeps no depth (older firmware, whole records not read).
    int depth = 1;

    // What the text file heads the part's bookmarks with: its title, or its ContentID when no row describes it.
    const std::string& Heading() const { return found ? title : contentId; }
};

// Which kind of reader's files a volume was read from.
enum class SourceKind : std::uint8_t {
    ReaderDatabase, // a Kobo reader's KoboReader.sqlite, a backup of it, or the desktop app's Kobo.sqlite
    Archive,        // Marvik's archive of every highlight ever seen
    KOReader,       // KOReader's sidecars (BOOK.sdr/metadata.EXT.lua)
    KindleClippings // a Kindle's My Clippings.txt
};

// Where a volume's bookmarks were read: what kind of file, which file, and the reader it belongs to where known.
struct SourceFacts {
    SourceKind kind = SourceKind::ReaderDatabase;
    std::filesystem::path path;
    std::string reader; // the reader's own identity (its account or serial), where the files tell it
};

// What a drawing's image names: the file found beside the database, or the picture written beside the export.
enum class MarkupImageKind : std::uint8_t {
    Found,    // markupImage: the ink (or page) beside the database, where there is one
    Rendered, // markupImage: the page with the ink over it, a PNG relative to the exported file's folder
    Missing,  // a picture was asked for, but the drawing's ink or page is missing or damaged
};

// One highlight, note, page bookmark or drawing, its columns as read (a NULL or a missing column reads as empty). Its
// texts are views into the store of the volume that holds it (AnnotatedVolume::Keep), valid while that volume or a
// copy of it lives.
struct AnnotatedBookmark {
    std::string_view bookmarkId;
    std::string_view text;       // the highlighted text
    std::string_view annotation; // the reader's note
    std::uint32_t part = 0;      // index into AnnotatedVolume::parts
    bool deleted = false;        // the reader deleted it (read only when deleted highlights are included)
    // Read only for the formats that show the whole record (ReadingOptions::wholeRecords).
    std::string_view type;         // "highlight", "note", "dogear", "markup"; empty on older firmware
    std::string_view color;        // "yellow", "pink", "blue", "green", "grey", or the stored value when it names none
    std::string_view dateCreated;  // as stored, e.g. 2024-11-18T17:45:50.886
    std::string_view dateModified; // as stored
    std::optional<double> chapterProgress; // 0 to 1 within the part
    std::string_view markupImage;          // a drawing's image beside the database (markups/ID.svg or .jpg), if there
    MarkupImageKind markupImageKind = MarkupImageKind::Found;
    // Read from the archive: the reader it came from no longer has it, and when it was last seen there.
    bool gone = false;
    std::string_view lastSeen;
    std::uint16_t source = 0; // index into AnnotatedVolume::sources: a book read from several sources keeps each one's
};

// What an export knows of one volume: the book's facts and its bookmarks in reading order. It holds no trace of any
// file format; writers make files of it.
struct AnnotatedVolume {
    std::string volumeId;
    // The book's Title and Attribution on its own content row; where that row has none (or, for the text file, always)
    // the book titles and authors of the index.
    std::string title;
    std::string author;
    // From the book's own content row, as stored, where the database has them (whole records only).
    std::string publisher;
    std::string isbn; // an ISBN, or for sideloaded books often the EPUB's identifier
    std::string language;
    std::string series;
    std::string seriesNumber;
    std::string description;
    std::string percentRead;      // ___PercentRead, 0 to 100
    std::string readStatus;       // ReadStatus: 0 unread, 1 reading, 2 finished
    std::string dateLastRead;     // DateLastRead
    std::string timeSpentReading; // TimeSpentReading, in seconds
    // The collections (shelves) the reader keeps the book on, in the order of their names, none deleted; and its
    // rating, 1 to 5 stars, empty where it has none.
    std::vector<std::string> collections;
    std::string rating;
    // ImageId: what the reader names its pictures of the book's cover after (.kobo-images).
    std::string imageId;
    // The book's cover as the written files name it: a path relative to the written file's folder, or empty where no
    // cover was found or none was asked for. Set by whoever copies the cover beside what it writes.
    std::string cover;
    // Read from the archive: each bookmark tells whether the reader it came from has lost it (gone, lastSeen).
    bool fromArchive = false;
    // A plain EPUB (MimeType application/epub+zip): its bookmarks' ChapterProgress is their place in the whole book.
    bool progressInBook = false;
    // Where its bookmarks were read; the first is the volume's own. Empty where nobody said (a volume made by hand).
    std::vector<SourceFacts> sources;
    std::vector<PartFacts> parts;
    std::vector<AnnotatedBookmark> bookmarks;
    // Holds the texts of the bookmarks; shared by copies of the volume.
    std::shared_ptr<TextStore> texts = std::make_shared<TextStore>();

    // A view of a copy of text that lives as long as this volume: what a bookmark's texts are set to.
    std::string_view Keep(std::string_view text) { return texts->Keep(text); }

    const PartFacts& PartOf(const AnnotatedBookmark& bookmark) const { return parts[bookmark.part]; }
    // The bookmark's place in the book in percent (0 to 100), where its part's place is known.
    std::optional<double> PositionOf(const AnnotatedBookmark& bookmark) const;
    // That place with one decimal ("42.5"), the same whatever the locale; empty where it is unknown.
    std::string PositionText(const AnnotatedBookmark& bookmark) const;
};

// The book's file name: the volume id after its last "/".
std::string BookFileName(const std::string& volumeId);
