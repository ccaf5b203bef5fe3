#pragma once

#include "ClippingMeta.h"

#include <cstddef>
#include <string>
#include <vector>

// One good entry of a clippings file, in the file's order.
struct Clipping {
    ClippingMeta meta;
    std::string text;
    std::size_t line = 0; // where it starts in the file
};

// A book's bookmarks made of its clippings: a highlight extended or shortened later (overlapping locations, one text
// holding the other) is kept once, with the longest text and the latest date; a note goes with the highlight that
// ends (else spans) where the note stands, and stands alone where there is none; bookmarks are page bookmarks. In
// order of location (else page), keeping the file's order where there is neither.
struct ClippingsBookmark {
    ClippingKind kind = ClippingKind::Highlight; // Note only for a note that no highlight holds
    std::string text;
    std::string note;
    ClippingMeta meta;
};
std::vector<ClippingsBookmark> BookmarksOfClippings(std::vector<Clipping> clippings);
