#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// Keeps many short texts in a few large blocks that never move, so that views into them stay valid as it grows. A
// book of a million highlights holds several million texts: one allocation each would cost as much as the texts.
class TextStore {
public:
    TextStore() = default;
    // A store that is moved keeps its blocks where they are: views into them stay valid.
    TextStore(TextStore&& other) noexcept { Adopt(std::move(other)); }
    TextStore& operator=(TextStore&& other) noexcept;
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // A view of a copy of text that lives as long as the store.
    std::string_view Keep(std::string_view text);
    // Takes over the texts of other: views into them stay valid.
    void Adopt(TextStore&& other);

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    std::size_t m_room = 0;
    std::size_t m_nextBlock = 4096; // blocks grow from small to large: many stores hold only a few texts
};
