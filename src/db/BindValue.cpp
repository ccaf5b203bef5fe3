#include "BindValue.h"

#include <algorithm>
#include <cstring>

ShortString::ShortString(std::string_view text)
    : m_length(static_cast<unsigned char>(std::min<std::size_t>(text.size(), 255))) {
    std::memcpy(m_bytes, text.data(), m_length);
}
