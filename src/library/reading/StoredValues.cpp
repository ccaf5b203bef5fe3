#include "StoredValues.h"

#include <algorithm>
#include <charconv>
#include <string>

std::optional<double> StoredNumber(std::string_view text) {
    std::string plain(text);
    std::replace(plain.begin(), plain.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (plain.empty() || error != std::errc() || end != plain.data() + plain.size())
        return std::nullopt;
    return value;
}

std::string_view StoredColorName(std::string_view stored) {
    static constexpr std::string_view kNames[] = {"yellow", "pink", "blue", "green", "grey"};
    if (stored.size() == 1 && stored[0] >= '0' && stored[0] <= '4')
        return kNames[stored[0] - '0'];
    return stored;
}
