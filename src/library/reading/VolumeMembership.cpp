#include "VolumeMembership.h"

namespace {

constexpr std::uint64_t kHashBits = std::uint64_t{1} << 20;

} // namespace

VolumeMembership::VolumeMembership(const TSortedStringList& list)
    : m_list(list), m_hashBits(kHashBits), m_lastPrimaryBytes(256) {
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const auto lastByte = list.Order().LastPrimaryByte(list[i]);
        if (lastByte && !m_lastPrimaryBytes.empty())
            m_lastPrimaryBytes[*lastByte] = true;
        else
            m_lastPrimaryBytes.clear();
        if (const auto hash = list.Order().EqualityHash(list[i])) {
            m_hashes.emplace(*hash, list[i]);
            m_hashBits[*hash % kHashBits] = true;
        } else {
            m_someEntryWithoutHash = true;
        }
    }
}

bool VolumeMembership::Contains(std::string_view text) const {
    // The cheapest proof first: most texts end unlike every entry.
    if (!m_lastPrimaryBytes.empty()) {
        const auto lastByte = m_list.Order().LastPrimaryByte(text);
        if (lastByte && !m_lastPrimaryBytes[*lastByte])
            return false;
    }
    const auto hash = m_list.Order().EqualityHash(text);
    if (hash && !m_someEntryWithoutHash && !m_hashBits[*hash % kHashBits])
        return false;
    if (hash) {
        const auto [first, last] = m_hashes.equal_range(*hash);
        for (auto it = first; it != last; ++it)
            if (it->second == text)
                return true;
        if (first == last && !m_someEntryWithoutHash)
            return false;
    }
    return m_list.Contains(text);
}
