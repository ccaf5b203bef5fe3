#include "SectionNesting.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::string_view kSpaces = " \t\n\v\f\r"; // what std::isspace takes, as the engine trims

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

struct Delimiters {
    std::string begin = "{{";
    std::string end = "}}";
    bool IsBrace() const { return begin == "{{" && end == "}}"; }
};

// "=<% %>=": split at the first space, as the engine splits it; neither delimiter may hold white space or "=".
bool SetDelimiters(std::string_view contents, Delimiters& delimiters) {
    if (contents.size() < 5 || contents.back() != '=')
        return false;
    const std::string_view inner = Trimmed(contents.substr(1, contents.size() - 2));
    const std::size_t space = inner.find(' ');
    if (space == std::string_view::npos)
        return false;
    const std::string_view begin = inner.substr(0, space);
    const std::string_view end = inner.substr(std::min(inner.find_first_not_of(' ', space), inner.size()));
    for (const std::string_view delimiter : {begin, end})
        if (delimiter.find_first_of(kSpaces) != std::string_view::npos || delimiter.find('=') != std::string_view::npos)
            return false;
    delimiters.begin = begin;
    delimiters.end = end;
    return true;
}

} // namespace

std::size_t FirstSectionDeeperThan(std::string_view text, std::size_t most) {
    Delimiters delimiters;
    std::size_t depth = 0;
    std::size_t at = 0;
    while ((at = text.find(delimiters.begin, at)) != std::string_view::npos) {
        const std::size_t tag = at;
        std::size_t contents = at + delimiters.begin.size();
        // "{{{name}}}" closes with three braces, and only under the default delimiters.
        const bool triple = delimiters.IsBrace() && contents < text.size() && text[contents] == '{';
        if (triple)
            ++contents;
        const std::string_view end = triple ? std::string_view("}}}") : std::string_view(delimiters.end);
        const std::size_t close = text.find(end, contents);
        if (close == std::string_view::npos)
            return std::string_view::npos; // an unclosed tag
        const std::string_view inside = Trimmed(text.substr(contents, close - contents));
        at = close + end.size();
        if (inside.empty())
            continue;
        if (inside.front() == '=') {
            if (!SetDelimiters(inside, delimiters))
                return std::string_view::npos;
        } else if (triple) {
            continue;
        } else if (inside.front() == '#' || inside.front() == '^') {
            if (++depth > most)
                return tag;
        } else if (inside.front() == '/') {
            if (depth == 0)
                return std::string_view::npos; // an unopened section
            --depth;
        }
    }
    return std::string_view::npos;
}
