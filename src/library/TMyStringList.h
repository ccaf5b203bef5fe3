#pragma once

#include "EFileError.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// An ordered, unsorted list of 8-bit lines that writes itself to a file, every line followed by CR LF.
class TMyStringList {
public:
    TMyStringList() = default;
    explicit TMyStringList(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

    std::size_t Count() const { return m_lines.size(); }
    const std::string& operator[](std::size_t index) const { return m_lines[index]; }

    // Every line followed by CR LF, as the file holds them.
    std::string Text() const;
    // Writes the lines to file, replacing a file of that name. The lines go to a new file beside it first, which
    // then takes the name, so a failure never leaves a half-written file under that name, nor the new file.
    // Raises EFileError.
    void SaveToUnicodeFile(const std::filesystem::path& file) const;

private:
    std::vector<std::string> m_lines;
};
