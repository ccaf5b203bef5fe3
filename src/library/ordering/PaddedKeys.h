#pragma once

#include "TextOrder.h"

#include <cstddef>
#include <string>
#include <vector>

// Texts held without the runs of "0" that pad them, for volumes whose widths would make the written-out texts too
// large to hold: each text reads as its bytes with every one of its zero runs put in before the byte at its place.
struct PaddedKeys {
    struct ZeroRun {
        std::size_t at; // put in before this byte of the text (at its end when at is its length)
        std::size_t count;
    };
    struct Key {
        std::string text;
        // The length in text of a leading part that many texts are likely to share; zero runs at headLength belong
        // to the rest.
        std::size_t headLength = 0;
        std::size_t firstRun = 0; // its zero runs are runs[firstRun, endRun), in the order of their places
        std::size_t endRun = 0;
    };
    std::vector<Key> keys;
    std::vector<ZeroRun> runs;
};

// What SortEntries gives for the written-out texts: their positions in ascending order under order, then by bytes,
// then by position. At most two texts are written out at a time, most often only from a digit they share on.
std::vector<std::size_t> SortPaddedKeys(const PaddedKeys& keys, const TextOrder& order);
