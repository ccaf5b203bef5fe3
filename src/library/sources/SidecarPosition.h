#pragma once

#include "LuaValue.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where a KOReader annotation starts in its book: an xpointer into a reflowable book's DOM
// ("/body/DocFragment[11]/body/div/p[30]/text()[2].92"), or a point on a fixed page (a PDF's {page, x, y}).
class SidecarPosition {
public:
    SidecarPosition() = default;
    // From a pos0 or page value; unknown when it is neither shape.
    static SidecarPosition From(const LuaValue* value);

    bool Known() const { return m_kind != Kind::Unknown; }
    // Before, after or the same place; unordered where the two cannot be told apart without the book itself (sibling
    // elements of different names, one inside the other, an xpointer against a page point).
    std::partial_ordering operator<=>(const SidecarPosition& other) const;
    bool operator==(const SidecarPosition& other) const { return (*this <=> other) == 0; }

private:
    struct Step {
        std::string name;
        std::int64_t index = 1; // XPath counts from 1; an unnumbered step is the first
        bool operator==(const Step&) const = default;
    };
    enum class Kind : std::uint8_t { Unknown, XPointer, PagePoint };

    static std::optional<SidecarPosition> ParseXPointer(std::string_view text);

    Kind m_kind = Kind::Unknown;
    std::vector<Step> m_steps;
    std::int64_t m_offset = 0;
    double m_page = 0, m_y = 0, m_x = 0;
};
