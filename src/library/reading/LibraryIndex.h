#pragma once

#include "ReadingOptions.h"
#include "TSortedStringList.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

class ReaderConnection;

// Which volumes carry bookmarks, and the title and author pairs that belong to them.
struct LibraryIndex {
    explicit LibraryIndex(const TextOrder& order = TextOrder::ForUserLocale())
        : Volumes(order), TitlePairs(order), AuthorPairs(order) {}

    TSortedStringList Volumes;     // volume ids
    TSortedStringList TitlePairs;  // BookID=BookTitle
    TSortedStringList AuthorPairs; // ContentID=Attribution

    // How many bookmarks each volume had when the index was read, deleted ones left out where skippedDeleted says
    // so: the length of an export's progress bar, without reading the Bookmark table once more.
    // Texts hashed as views, so that a row's text is looked up without a string made of it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    struct BookmarkCounts {
        bool skippedDeleted = false;
        std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> ofVolume;
    };
    std::optional<BookmarkCounts> Counts; // unset until a reading of the index has completed

    void Clear();
    // Every list's order and names made now (TSortedStringList::PlaceAll).
    void PlaceAll() const {
        Volumes.PlaceAll();
        TitlePairs.PlaceAll();
        AuthorPairs.PlaceAll();
    }
};

// Reads the index of the database into index (which it clears first). The reading stops at the first error of the
// access layer, which goes on to the caller with index partly filled. With skipDeletedHighlights, bookmarks that the
// reader deleted list no volume.
void ReadLibraryIndex(ReaderConnection& reader, LibraryIndex& index, const ReadingOptions& options);
