#include "VolumeAssembly.h"

#include <cstdio>

std::uint32_t ChapterParts::PartFor(const std::string& chapter) {
    const auto [found, added] = m_parts.try_emplace(chapter, static_cast<std::uint32_t>(m_volume.parts.size()));
    if (added) {
        PartFacts& part = m_volume.parts.emplace_back();
        part.contentId = chapter;
        part.title = chapter;
        part.found = !chapter.empty();
    }
    return found->second;
}

std::string StableBookmarkId(std::string_view prefix, std::initializer_list<std::string_view> pieces) {
    // FNV-1a, 64 bits: the same on every machine and every run, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const auto take = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    };
    for (const std::string_view piece : pieces) {
        for (const char c : piece)
            take(static_cast<unsigned char>(c));
        take(0); // "ab"+"c" and "a"+"bc" differ
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(prefix) + digits;
}

std::string StoredDateTime(std::string_view written) {
    std::string stored(written);
    if (stored.size() >= 19 && stored[4] == '-' && stored[7] == '-' && stored[10] == ' ' && stored[13] == ':')
        stored[10] = 'T';
    return stored;
}

std::string IndexSafeId(std::string_view id) {
    std::string safe;
    safe.reserve(id.size());
    for (const char c : id)
        safe += c == '=' ? std::string("%3D") : std::string(1, c);
    return safe;
}
