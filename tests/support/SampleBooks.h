#pragma once

#include "ReaderDatabase.h"

#include <string>

namespace fixture {

// "A Winter Voyage" by "Some Author": two chapters and three bookmarks (a highlight with a note, a highlight alone,
// a note alone), stored out of reading order.
void AddWinterVoyage(ReaderDatabase& reader, const std::string& volumeId);

// Its annotation file with the default TAB separator and no byte-order mark.
extern const char* const kWinterVoyageFile;

// A library as current firmware writes it: a kepub book whose spine files take their chapter titles from
// table-of-contents rows (two rows for the first file, none for the second), a store book whose row carries a
// "#fragment", a plain epub book, highlights deleted on the reader (Hidden 'true') and a book whose only bookmarks
// were deleted.
namespace current {
extern const std::string kKepub; // "The Art of War" by "Sun Tzu"
extern const std::string kStore; // a store book named by its UUID
extern const std::string kPlain; // a plain epub
extern const std::string kGone;  // every bookmark deleted
} // namespace current

void AddCurrentFirmwareLibrary(ReaderDatabase& reader);

} // namespace fixture
