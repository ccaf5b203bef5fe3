#pragma once

#include "TSortedStringList.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// Whether texts compare equal to an entry of a list, for a stream of many texts of which few are: a text whose
// equality hash no entry shares is settled at once, and only the others take the full comparison.
class VolumeMembership {
public:
    explicit VolumeMembership(const TSortedStringList& list);
    bool Contains(std::string_view text) const;

private:
    const TSortedStringList& m_list;
    std::unordered_multimap<std::uint64_t, std::string_view> m_hashes; // hash -> entry
    std::vector<bool> m_hashBits;         // a bit per hash value's low bits: a clear bit settles most texts at once
    std::vector<bool> m_lastPrimaryBytes; // the entries' last primary bytes; empty when one entry's is unknown
    bool m_someEntryWithoutHash = false;
};
