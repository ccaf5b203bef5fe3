#pragma once

#include <charconv>
#include <optional>
#include <string_view>

// A number written whole as the text holds it (digits, a sign, a point; no space, no comma): nothing for anything
// else, an empty text included.
template <class Number> std::optional<Number> WholeNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A number as stored: an integer, or a real number made text with the locale's decimal separator; none for anything
// else.
std::optional<double> StoredNumber(std::string_view text);

// The name of a stored Bookmark.Color value (0 to 4), or the value itself when it names none.
std::string_view StoredColorName(std::string_view stored);
