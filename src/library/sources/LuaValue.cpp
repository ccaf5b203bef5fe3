#include "LuaValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>

const LuaValue* LuaValue::Field(std::string_view name) const {
    const auto found = std::lower_bound(fields.begin(), fields.end(), name,
                                        [](const auto& field, std::string_view key) { return field.first < key; });
    return found != fields.end() && found->first == name ? &found->second : nullptr;
}

std::string LuaValue::TextOf(std::string_view name) const {
    const LuaValue* value = Field(name);
    if (!value)
        return {};
    if (value->kind == Kind::Text)
        return value->text;
    if (value->kind == Kind::Number && std::isfinite(value->number)) {
        // Whole numbers as integers: a page 12 reads "12", not "12.000000".
        if (value->number == std::floor(value->number) && std::fabs(value->number) < 1e15)
            return std::to_string(static_cast<long long>(value->number));
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value->number);
        return error == std::errc() ? std::string(buffer, end) : std::string();
    }
    return {};
}

std::optional<double> LuaValue::NumberOf(std::string_view name) const {
    const LuaValue* value = Field(name);
    if (!value)
        return std::nullopt;
    if (value->kind == Kind::Number)
        return std::isfinite(value->number) ? std::optional<double>(value->number) : std::nullopt;
    if (value->kind == Kind::Text) {
        double parsed = 0;
        const char* end = value->text.data() + value->text.size();
        const auto [stop, error] = std::from_chars(value->text.data(), end, parsed);
        if (error == std::errc() && stop == end && std::isfinite(parsed))
            return parsed;
    }
    return std::nullopt;
}
