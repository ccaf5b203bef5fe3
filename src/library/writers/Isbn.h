#pragma once

#include <string_view>

// Whether a book's stored ISBN value is one: 10 digits (the last may be "X") or 13 digits starting 978 or 979, with
// the right check digit, hyphens and spaces between them allowed. Sideloaded books keep their EPUB's identifier
// (a UUID, a URN) in the same column, and that is no ISBN.
bool IsIsbn(std::string_view stored);
