#include "TMyStringList.h"

void TMyStringList::Add(std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces)
        m_text += piece;
    m_text += "\r\n";
    ++m_count;
}

void TMyStringList::Clear() {
    m_text.clear();
    m_count = 0;
}
