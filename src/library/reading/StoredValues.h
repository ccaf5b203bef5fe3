#pragma once

#include <optional>
#include <string_view>

// A number as stored: an integer, or a real number made text with the locale's decimal separator; none for anything
// else.
std::optional<double> StoredNumber(std::string_view text);

// The name of a stored Bookmark.Color value (0 to 4), or the value itself when it names none.
std::string_view StoredColorName(std::string_view stored);
