#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A value that a sidecar returned, copied out of Lua: a boolean, a number, a text or a table. Tables keep their
// entries with integer keys in key order, then those with text keys in text order, so that what is read never
// depends on how Lua happened to lay the table out.
struct LuaValue {
    enum class Kind : std::uint8_t { Nil, Boolean, Number, Text, Table };
    Kind kind = Kind::Nil;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<std::pair<std::int64_t, LuaValue>> items; // integer keys, ascending
    std::vector<std::pair<std::string, LuaValue>> fields; // text keys, ascending

    bool IsTable() const { return kind == Kind::Table; }
    // The field of that name; nullptr when there is none (or this is no table).
    const LuaValue* Field(std::string_view name) const;
    // The field's text, or a number written as text; empty when it is neither.
    std::string TextOf(std::string_view name) const;
    // The field's number, or a text that holds only a number; nothing when it is neither.
    std::optional<double> NumberOf(std::string_view name) const;
};
