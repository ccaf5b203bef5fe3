#pragma once

#include <string>
#include <utility>
#include <vector>

// An ordered, unsorted list of 8-bit lines; its text is every line followed by CR LF.
class TMyStringList {
public:
    TMyStringList() = default;
    explicit TMyStringList(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

    std::size_t Count() const { return m_lines.size(); }
    const std::string& operator[](std::size_t index) const { return m_lines[index]; }
    void Add(std::string line) { m_lines.push_back(std::move(line)); }
    void Clear() { m_lines.clear(); }

    // Every line followed by CR LF, as the file holds them.
    std::string Text() const;

private:
    std::vector<std::string> m_lines;
};
