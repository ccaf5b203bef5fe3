#pragma once

#include "ReaderDatabase.h"

#include <filesystem>
#include <string>

namespace fixture {

// A library of colour-screen firmware for the formats that show whole records: the Bookmark table gains a Color
// column; books carry publisher, ISBN and language; parts carry their place in the book (___FileOffset/___FileSize).
namespace records {
// "Notes: "On" Things" by "Ann Writer", two chapters. In reading order: a yellow highlight of two lines with a note
// holding a comma and quotes; a pink highlight of Markdown-like text ("# ...", "> ...", "* ...", "[x](y)") holding a
// TAB; a blue Arabic highlight holding a TAB; a page bookmark (dogear); a drawing (markup); a green highlight the
// reader deleted. Dates and chapter progress on all but the drawing.
extern const std::string kRich;
// A store book named by its UUID: no DateCreated, no Type, no Color, no place of its part.
extern const std::string kStore;
// A book without any content row: no title, no author.
extern const std::string kUntitled;
} // namespace records

void AddWholeRecordLibrary(ReaderDatabase& reader);
// The rich book on the reader's collections "To read" and "<b>Best</b> & \"more\"", and on a collection whose name
// a spreadsheet would evaluate ("=HYPERLINK(1)"); also on a deleted collection ("Gone") and, deleted from it, on
// "Dropped"; rated 4 stars and finished. The store book is on no collection and unrated.
void AddRichBookShelves(ReaderDatabase& reader);
// The rich book's reading (time, progress, status, last read, ISBN), its series, and a drawing's ink beside the
// database in folder: every fact a whole record can show.
void AddRichBookFacts(ReaderDatabase& reader, const std::filesystem::path& folder);

} // namespace fixture
