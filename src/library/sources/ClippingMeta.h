#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a clipping is, as its second line names it.
enum class ClippingKind : std::uint8_t { Highlight, Note, Bookmark, Unknown };

// The second line of a clipping ("- Your Highlight on page 12 | Location 100-105 | Added on Friday, January 1,
// 2024 10:30:45 AM"), read in the languages Kindles write it: English, German, French, Spanish, Italian, Portuguese,
// Dutch, Japanese and Chinese. In another language the kind is unknown and so are the place and the date.
struct ClippingMeta {
    ClippingKind kind = ClippingKind::Unknown;
    std::optional<std::int64_t> locationStart;
    std::optional<std::int64_t> locationEnd;
    std::optional<std::int64_t> page;
    std::string added; // "2024-01-01T10:30:45", the Kindle's local time; empty where it cannot be read
};

ClippingMeta ReadClippingMeta(std::string_view line);

// "Title (Author)": the title, and the author in the last parentheses; no author where the line ends in none.
struct ClippingTitle {
    std::string title;
    std::string author;
};
ClippingTitle ReadClippingTitle(std::string_view line);
