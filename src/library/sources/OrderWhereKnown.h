#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <vector>

// Puts items in the order compare gives, keeping their given order wherever it gives none: an item moves ahead only
// past the items it is known to come before, and stops at the first one it cannot be compared with. Stable. The
// given order of another reader's file is the best order there is where two places in a book cannot be told apart.
template <typename Item, typename Compare> void OrderWhereKnown(std::vector<Item>& items, Compare compare) {
    for (std::size_t i = 1; i < items.size(); ++i) {
        std::size_t place = i;
        while (place > 0 && compare(items[i], items[place - 1]) == std::partial_ordering::less)
            --place;
        if (place != i)
            std::rotate(items.begin() + static_cast<std::ptrdiff_t>(place),
                        items.begin() + static_cast<std::ptrdiff_t>(i),
                        items.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
}
