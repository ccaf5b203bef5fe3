#include "TextStore.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;
} // namespace

std::string_view TextStore::Keep(std::string_view text) {
    if (text.empty())
        return {};
    if (text.size() > m_room) {
        // A long text gets a block of its own, so that the room left in the current block is not lost.
        if (text.size() > m_nextBlock / 4) {
            char* own = m_blocks.emplace_back(std::make_unique_for_overwrite<char[]>(text.size())).get();
            std::memcpy(own, text.data(), text.size());
            return {own, text.size()};
        }
        m_free = m_blocks.emplace_back(std::make_unique_for_overwrite<char[]>(m_nextBlock)).get();
        m_room = m_nextBlock;
        m_nextBlock = std::min(m_nextBlock * 2, kLargestBlock);
    }
    char* kept = m_free;
    std::memcpy(kept, text.data(), text.size());
    m_free += text.size();
    m_room -= text.size();
    return {kept, text.size()};
}

void TextStore::Adopt(TextStore&& other) {
    if (m_blocks.empty()) {
        // Nothing of its own yet: it goes on filling the other's last block.
        m_free = other.m_free;
        m_room = other.m_room;
        m_nextBlock = other.m_nextBlock;
    }
    m_blocks.insert(m_blocks.end(), std::make_move_iterator(other.m_blocks.begin()),
                    std::make_move_iterator(other.m_blocks.end()));
    other.m_blocks.clear();
    other.m_free = nullptr;
    other.m_room = 0;
}

TextStore& TextStore::operator=(TextStore&& other) noexcept {
    if (this != &other) {
        m_blocks.clear();
        m_free = nullptr;
        m_room = 0;
        Adopt(std::move(other));
    }
    return *this;
}
