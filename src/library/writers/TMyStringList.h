#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

// An ordered, unsorted list of 8-bit lines; its text is every line followed by CR LF. The lines are kept as that
// text, so that a line costs no room of its own.
class TMyStringList {
public:
    std::size_t Count() const { return m_count; }
    // Adds the line made of the pieces, one after another.
    void Add(std::initializer_list<std::string_view> pieces);
    void Add(std::string_view line) { Add({line}); }
    // Empties the list; its room stays for the next lines.
    void Clear();

    // Every line followed by CR LF, as the file holds them.
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    std::size_t m_count = 0;
};
