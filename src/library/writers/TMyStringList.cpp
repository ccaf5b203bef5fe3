#include "TMyStringList.h"

std::string TMyStringList::Text() const {
    std::size_t size = 0;
    for (const std::string& line : m_lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : m_lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
