#pragma once

#include "TextOrder.h"

#include <cstddef>
#include <string_view>
#include <vector>

// One text to sort, viewing bytes that its maker keeps for as long as the sort.
struct SortEntry {
    std::string_view text;
    // The length of a leading part that many entries are likely to share byte for byte.
    std::size_t headLength = 0;
};

// The positions of entries in ascending order of their texts under order; texts that compare equal there follow
// their bytes, then their positions.
std::vector<std::size_t> SortEntries(const std::vector<SortEntry>& entries, const TextOrder& order);
