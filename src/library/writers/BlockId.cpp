#include "BlockId.h"

#include <cstdint>

namespace {

// FNV-1a: small, and fixed for good, so the ids stay as they were written before.
std::uint32_t Fnv1a(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

std::string BlockId(std::string_view bookmarkId) {
    std::string id;
    id.reserve(bookmarkId.size() + 9);
    for (const char c : bookmarkId) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')
            id += c;
        else if (c >= 'A' && c <= 'Z')
            id += static_cast<char>(c - 'A' + 'a');
    }
    if (id == bookmarkId && !id.empty())
        return id;
    static const char kHex[] = "0123456789abcdef";
    const std::uint32_t hash = Fnv1a(bookmarkId);
    if (!id.empty())
        id += '-';
    for (int shift = 28; shift >= 0; shift -= 4)
        id += kHex[(hash >> shift) & 0xF];
    return id;
}
