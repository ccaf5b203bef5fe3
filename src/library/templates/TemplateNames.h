#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

// Looked up by a variable's name as it stands, without making a string of it.
struct TemplateNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};

// The names of the variables a template set uses: only those are made for each book and highlight.
using TemplateNames = std::unordered_set<std::string, TemplateNameHash, std::equal_to<>>;
