#pragma once

#include "EpubArchive.h"
#include "PictureFacts.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A book's cover picture, read whole and checked (PictureFacts.h).
struct BookCover {
    std::string bytes;
    PictureFacts facts;
    std::string origin; // the file it was read from, or "BOOK.epub: ENTRY"
};

// What the search for a cover found: the cover, and what was refused on the way, each in words that name it.
struct CoverSearch {
    std::optional<BookCover> cover;
    std::vector<std::string> refused;
};

// Where a book's cover may be: the reader's volume (where the database was read from it), the book's id and its
// content's ImageId.
struct CoverPlace {
    std::filesystem::path volumeRoot; // empty: the reader's files are not at hand
    std::string volumeId;
    std::string imageId;
};

// The picture the reader made of the cover (.kobo-images), else the cover the book's own EPUB names; refused, and
// named in refused, where it is no picture, too large, or the EPUB is a zip bomb or links out of the book.
CoverSearch FindBookCover(const CoverPlace& place, EpubBounds bounds = {});
