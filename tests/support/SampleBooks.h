#pragma once

#include "ReaderDatabase.h"

#include <string>

namespace fixture {

// "A Winter Voyage" by "Some Author": two chapters and three bookmarks (a highlight with a note, a highlight alone,
// a note alone), stored out of reading order.
void AddWinterVoyage(ReaderDatabase& reader, const std::string& volumeId);

// Its annotation file with the default TAB separator and no byte-order mark.
extern const char* const kWinterVoyageFile;

} // namespace fixture
