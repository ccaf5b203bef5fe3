#pragma once

#include "LuaValue.h"
#include "SidecarPosition.h"

#include <optional>
#include <string>
#include <vector>

// One highlight, note or page bookmark of a sidecar, as KOReader wrote it.
struct SidecarAnnotation {
    std::string text;    // the highlighted text
    std::string note;    // the reader's note
    std::string chapter; // the chapter's title at the time
    std::string drawer;  // lighten, underscore, strikeout, invert
    std::string color;   // as stored: yellow, red, orange, green, olive, cyan, blue, purple, gray
    std::string created; // "2026-02-20 18:08:13", the reader's local time
    std::string updated;
    std::string place; // pos0 (or a bookmark's page) as stored, for telling one annotation from another
    SidecarPosition position;
    std::optional<double> page; // the page number shown when it was made
    bool pageBookmark = false;  // a bookmarked page, no highlight
};

// What one sidecar (BOOK.sdr/metadata.EXT.lua) tells: the book's facts and its annotations in reading order.
struct SidecarBook {
    std::string title;
    std::string authors; // several joined by " & "
    std::string language;
    std::string isbn; // the first ISBN among the identifiers, else the first identifier
    std::string series;
    std::string seriesNumber;
    std::string description;
    std::string documentPath; // the book's path on the reader, where KOReader noted it
    std::string percentRead;  // 0 to 100
    std::string readStatus;   // 1 reading, 2 finished, as the Kobo reader counts
    std::string lastRead;
    std::optional<double> pages; // the book's page count, for a place in the book
    std::vector<SidecarAnnotation> annotations;
};

// Reads the table a sidecar returned: the current annotations list, or the older highlight and bookmarks tables
// (the notes of old highlights are on their bookmarks). Annotations are ordered by page and position where they can
// be compared (the xpointer first: it holds whatever the font size, a page number does not), else kept in the file's
// order.
SidecarBook ReadSidecarBook(const LuaValue& sidecar);
