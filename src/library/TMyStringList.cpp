#include "TMyStringList.h"

#include "ReplaceFile.h"

#include <algorithm>

void TMyStringList::Insert(std::size_t index, std::string line) {
    index = std::min(index, m_lines.size());
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

void TMyStringList::SaveToUnicodeFile(const std::filesystem::path& file) const {
    ReplaceFile(file, m_lines, "\r\n");
}
