#include "SortEntries.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The entries of a volume share a few long heads (part and path up to the numbers) and differ in digits and ids.
// Ranking the heads by the order and sorting by rank, then by the bytes of the rest, is usually the exact order
// already, at the cost of ordering the heads instead of every entry.
struct Item {
    std::size_t rank;
    std::uint64_t tailStart; // the first bytes of the tail, big-endian, so that most comparisons end here
    std::string_view tail;
    std::size_t head;
    std::size_t position;
};

std::uint64_t LeadingBytes(std::string_view text) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value = value << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0U);
    return value;
}

// The order of two heads: where they first differ in an ASCII digit after a character that the collator joins to no
// digit, that digit decides, as it does under every such collation (digits have ascending primary weights of their
// own); else the collation. A volume's heads mostly start with their parts' places, so few need the collator.
int CompareHeads(std::string_view x, std::string_view y, const TextOrder& order) {
    const auto [ax, ay] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
    if (ax == x.end() && ay == y.end())
        return 0;
    if (ax != x.end() && ay != y.end() && ax != x.begin() && IsDigit(*ax) && IsDigit(*ay) &&
        order.SplitsBeforeDigitAfter(*(ax - 1)))
        return *ax < *ay ? -1 : 1;
    return order.Compare(x, y);
}

std::vector<Item> SortByHeads(const std::vector<SortEntry>& entries, const TextOrder& order) {
    std::unordered_map<std::string_view, std::size_t> headIndex;
    std::vector<std::string_view> heads;
    std::vector<Item> items;
    items.reserve(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const std::string_view text = entries[e].text;
        const auto [it, inserted] = headIndex.try_emplace(text.substr(0, entries[e].headLength), heads.size());
        if (inserted)
            heads.push_back(it->first);
        const std::string_view tail = text.substr(entries[e].headLength);
        items.push_back({0, LeadingBytes(tail), tail, it->second, e});
    }
    // Heads equal under the order share a rank, so that their entries mix as the rest of them decides.
    std::vector<std::size_t> byOrder(heads.size());
    std::iota(byOrder.begin(), byOrder.end(), std::size_t{0});
    std::sort(byOrder.begin(), byOrder.end(),
              [&heads, &order](std::size_t a, std::size_t b) { return CompareHeads(heads[a], heads[b], order) < 0; });
    std::vector<std::size_t> rank(heads.size());
    for (std::size_t i = 0; i < byOrder.size(); ++i)
        rank[byOrder[i]] =
            i > 0 && CompareHeads(heads[byOrder[i - 1]], heads[byOrder[i]], order) == 0 ? rank[byOrder[i - 1]] : i;
    for (Item& item : items)
        item.rank = rank[item.head];

    std::sort(items.begin(), items.end(), [&entries](const Item& a, const Item& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.tailStart != b.tailStart)
            return a.tailStart < b.tailStart;
        if (const int c = a.tail.compare(b.tail); c != 0)
            return c < 0;
        if (const int c = entries[a.position].text.compare(entries[b.position].text); c != 0)
            return c < 0;
        return a.position < b.position;
    });
    return items;
}

// Whether a comes before b: by the order, then by bytes, then by position.
bool InOrder(const std::vector<SortEntry>& entries, const TextOrder& order, const Item& a, const Item& b) {
    const std::string_view x = entries[a.position].text;
    const std::string_view y = entries[b.position].text;
    // ASCII digits have ascending weights of their own under every collation, so texts that first differ in a
    // digit are ordered by that digit; most neighbours in a part are, and need no collator.
    const std::size_t from = a.head == b.head ? entries[a.position].headLength : 0;
    const std::size_t length = std::min(x.size(), y.size());
    std::size_t at = from;
    while (at < length && x[at] == y[at])
        ++at;
    if (at < length && IsDigit(x[at]) && IsDigit(y[at]))
        return x[at] < y[at];
    if (const int c = order.Compare(x, y); c != 0)
        return c < 0;
    if (const int c = x.compare(y); c != 0)
        return c < 0;
    return a.position < b.position;
}

std::vector<std::size_t> SortByWholeKeys(const std::vector<SortEntry>& entries, const TextOrder& order) {
    std::vector<std::string> keys;
    keys.reserve(entries.size());
    for (const SortEntry& entry : entries)
        keys.push_back(order.SortKey(entry.text));
    std::vector<std::size_t> positions(entries.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    std::sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
        if (const int c = keys[a].compare(keys[b]); c != 0)
            return c < 0;
        if (const int c = entries[a].text.compare(entries[b].text); c != 0)
            return c < 0;
        return a < b;
    });
    return positions;
}

} // namespace

std::vector<std::size_t> SortEntries(const std::vector<SortEntry>& entries, const TextOrder& order) {
    const std::vector<Item> items = SortByHeads(entries, order);
    // A sequence whose every neighbouring pair is in order is sorted; otherwise the whole keys decide.
    for (std::size_t i = 1; i < items.size(); ++i)
        if (!InOrder(entries, order, items[i - 1], items[i]))
            return SortByWholeKeys(entries, order);
    std::vector<std::size_t> positions;
    positions.reserve(items.size());
    for (const Item& item : items)
        positions.push_back(item.position);
    return positions;
}
