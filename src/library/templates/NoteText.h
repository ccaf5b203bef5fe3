#pragma once

#include "RenderedNote.h"

#include <string>

// The whole file of a note, as a one-off export writes it: the front matter between "---" lines where there is one,
// the text before the blocks, the blocks in order (a deleted one between its marks), the text after them. It ends
// with one line end, however many the template left.
std::string NoteText(const RenderedNote& note);
