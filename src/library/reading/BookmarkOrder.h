#pragma once

#include "ProgressReporter.h"
#include "TextOrder.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Where one bookmark starts, as its Bookmark row stores it (every value read as text), and the place of its part. It
// views texts that its maker keeps: a book of a million bookmarks has five million of them.
struct BookmarkLocation {
    std::string_view bookmarkId;
    std::string_view contentId;
    std::string_view startContainerPath;
    std::string_view startOffset;
    // content.VolumeIndex of the row whose ContentID is contentId; empty when there is no such row or no index.
    std::string_view partIndex;
};

// Entry k: the length of the longest digit run number k met so far. It grows as longer paths are scanned.
using RunWidths = std::vector<std::size_t>;

struct PositionKey {
    std::string text;
    bool readable = false; // the path held at least one digit run
};

// text with "0" put in front until it is at least length characters long.
std::string PadWithZeros(std::string_view text, std::size_t length);

// Widens widths by the digit runs of path, from five characters after its first "#" (its fifth character when it
// holds none).
void ScanRunWidths(std::string_view path, RunWidths& widths);

// The path up to its first "#" (after "#point" and then "span#kobo" become "#"), followed by the digit runs after
// that "#", each padded to its run's width. Runs beyond the table stay as they are.
PositionKey MakePositionKey(std::string_view path, const RunWidths& widths);

// The positions in bookmarks of its entries, in reading order: parts in their book order (parts without a known
// place after the placed ones), then by container path and offset as numbers. Steps progress once per key made.
std::vector<std::size_t> ReadingOrder(const std::vector<BookmarkLocation>& bookmarks, const TextOrder& order,
                                      ProgressReporter& progress);
// The same, letting go of the list before the keys are sorted: it is empty afterwards.
std::vector<std::size_t> ReadingOrder(std::vector<BookmarkLocation>&& bookmarks, const TextOrder& order,
                                      ProgressReporter& progress);

// The BookmarkIDs of bookmarks in reading order.
std::vector<std::string> OrderBookmarks(const std::vector<BookmarkLocation>& bookmarks, const TextOrder& order,
                                        ProgressReporter& progress);
