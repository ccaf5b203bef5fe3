#include "VolumeAssembly.h"

#include <cstdio>
#include <ctime>

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
    std::tm local{};
    char separator = 0;
    char rest = 0;
    const std::string text(written);
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &local.tm_year, &local.tm_mon, &local.tm_mday,
                    &separator, &local.tm_hour, &local.tm_min, &local.tm_sec, &rest) != 7 ||
        (separator != ' ' && separator != 'T'))
        return text;
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1; // summer time as the zone had it that day
    const std::time_t moment = std::mktime(&local);
    std::tm utc{};
    if (moment == static_cast<std::time_t>(-1) || !gmtime_r(&moment, &utc))
        return text;
    char stored[96];
    std::snprintf(stored, sizeof stored, "%04d-%02d-%02dT%02d:%02d:%02d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return stored;
}

std::string IndexSafeId(std::string_view id) {
    std::string safe;
    safe.reserve(id.size());
    for (const char c : id)
        safe += c == '=' ? std::string("%3D") : std::string(1, c);
    return safe;
}
