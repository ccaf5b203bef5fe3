#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// The size of a generated reader library.
struct LibraryShape {
    std::size_t books = 3000;
    std::size_t contentRows = 150000; // the books' own rows and their parts
    std::size_t bookmarks = 60000;
    std::size_t bigBookBookmarks = 10000; // all in one book
};

struct GeneratedLibrary {
    std::string bigVolumeId;
    std::size_t listedVolumes = 0; // volumes with a bookmark whose child index is not 0 and that was not deleted
};

// Writes a reader database of that shape to file (which must not exist) in one transaction: the reader's schema,
// sideloaded epub and kepub books under /mnt/onboard, chapters with titles and places (for kepubs, spine files and
// table-of-contents rows), and highlights and notes of realistic length stored in no particular order, a few of them
// deleted on the reader. The same seed gives the same file.
GeneratedLibrary GenerateLibrary(const std::filesystem::path& file, const LibraryShape& shape, unsigned seed = 1);
