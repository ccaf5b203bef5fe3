#include "PaddedKeys.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

using ZeroRun = PaddedKeys::ZeroRun;

constexpr int kEnd = -1; // before every byte, as a shorter text comes before its longer continuations

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Reads a padded text as its bytes, one stretch of zeros or of text at a time, without writing the zeros out.
class Reader {
public:
    Reader(const PaddedKeys& keys, std::size_t key, std::size_t from)
        : m_text(keys.keys[key].text), m_run(keys.runs.data() + keys.keys[key].firstRun),
          m_end(keys.runs.data() + keys.keys[key].endRun), m_at(from) {
        while (m_run != m_end && m_run->at < from)
            ++m_run;
        Settle();
    }
    bool AtEnd() const { return m_zeros == 0 && m_at == m_text.size(); }
    bool InZeros() const { return m_zeros > 0; }
    // The bytes up to the next change between zeros and text.
    std::size_t Stretch() const { return m_zeros > 0 ? m_zeros : (m_run != m_end ? m_run->at : m_text.size()) - m_at; }
    int Byte(std::size_t i) const { return m_zeros > 0 ? '0' : static_cast<unsigned char>(m_text[m_at + i]); }
    // The rest written out, into out.
    const std::string& Rest(std::string& out) const {
        out.clear();
        for (Reader reader = *this; !reader.AtEnd(); reader.Skip(reader.Stretch())) {
            if (reader.InZeros())
                out.append(reader.m_zeros, '0');
            else
                out.append(reader.m_text.substr(reader.m_at, reader.Stretch()));
        }
        return out;
    }
    int Peek() const { return AtEnd() ? kEnd : Byte(0); }
    void Skip(std::size_t count) {
        if (m_zeros > 0)
            m_zeros -= count;
        else
            m_at += count;
        Settle();
    }

private:
    void Settle() {
        while (m_zeros == 0 && m_run != m_end && m_run->at == m_at)
            m_zeros = (m_run++)->count;
    }

    std::string_view m_text;
    const ZeroRun* m_run;
    const ZeroRun* m_end;
    std::size_t m_at;
    std::size_t m_zeros = 0;
};

struct Difference {
    int a; // the bytes at which the texts first differ, kEnd for the end of a text; two kEnds when they are equal
    int b;
    Reader restOfA; // from the last digit they share before that where splitting is allowed, when asked for
    Reader restOfB;
};

// Entry c: whether texts may be split before a digit that follows the byte c.
using Splits = std::array<bool, 256>;

bool SplitsAfter(const Splits& splits, int before) {
    return before == kEnd || splits[static_cast<std::size_t>(before)];
}

// Where a and b first differ. With splits, the rests start at the last digit they share before that whose preceding
// byte splits allows; before is the byte before where a and b start, kEnd for none.
Difference FirstDifference(Reader a, Reader b, Reader restOfA, Reader restOfB, const Splits* splits = nullptr,
                           int before = kEnd) {
    int previous = before;
    while (!a.AtEnd() && !b.AtEnd()) {
        const std::size_t count = std::min(a.Stretch(), b.Stretch());
        std::size_t same = count;
        std::size_t split = count;
        if (a.InZeros() && b.InZeros()) {
            if (splits != nullptr && SplitsAfter(*splits, count > 1 ? '0' : previous))
                split = count - 1;
            previous = '0';
        } else {
            same = 0;
            while (same < count && a.Byte(same) == b.Byte(same)) {
                const int c = a.Byte(same);
                if (splits != nullptr && IsDigit(c) && SplitsAfter(*splits, previous))
                    split = same;
                previous = c;
                ++same;
            }
        }
        if (split < count) {
            restOfA = a;
            restOfA.Skip(split);
            restOfB = b;
            restOfB.Skip(split);
        }
        if (same < count)
            return {a.Byte(same), b.Byte(same), restOfA, restOfB};
        a.Skip(count);
        b.Skip(count);
    }
    return {a.Peek(), b.Peek(), restOfA, restOfB};
}

int ByteOrder(Reader a, Reader b) {
    const Difference difference = FirstDifference(a, b, a, b);
    return difference.a - difference.b;
}

// The first eight bytes, big-endian, so that most comparisons of the rest of two texts end here.
std::uint64_t LeadingBytes(Reader reader) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        value = value << 8 | static_cast<unsigned char>(reader.AtEnd() ? 0 : reader.Byte(0));
        if (!reader.AtEnd())
            reader.Skip(1);
    }
    return value;
}

// A head is its bytes before headLength and the zero runs among them.
struct Head {
    std::string_view text;
    const ZeroRun* runs;
    std::size_t runCount;
    bool operator==(const Head& other) const {
        return text == other.text &&
               std::equal(runs, runs + runCount, other.runs, other.runs + other.runCount,
                          [](const ZeroRun& a, const ZeroRun& b) { return a.at == b.at && a.count == b.count; });
    }
};

struct HeadHash {
    std::size_t operator()(const Head& head) const {
        std::size_t hash = std::hash<std::string_view>{}(head.text);
        for (std::size_t i = 0; i < head.runCount; ++i)
            hash = hash * 31 + head.runs[i].count;
        return hash;
    }
};

struct Item {
    std::size_t rank;
    std::uint64_t tailStart;
    std::size_t head;
    std::size_t position;
};

// As SortEntries does with written-out texts: heads ranked by the order, the rest by bytes; then every neighbouring
// pair checked against the order, and what is out of order merged into place.
class PaddedSort {
public:
    PaddedSort(const PaddedKeys& keys, const TextOrder& order) : m_keys(keys), m_order(order) {
        for (std::size_t c = 0; c < m_splits.size(); ++c)
            m_splits[c] = order.SplitsBeforeDigitAfter(static_cast<char>(c));
    }

    std::vector<std::size_t> Run() {
        std::vector<Item> items = SortByHeads();
        const auto before = [this](const Item& a, const Item& b) { return Before(a, b); };
        // Each stretch whose neighbours are in order is sorted; merging neighbouring stretches until one is left
        // sorts the whole, with few comparisons when the heads' order was nearly right.
        std::vector<std::size_t> starts{0};
        for (std::size_t i = 1; i < items.size(); ++i)
            if (!Before(items[i - 1], items[i]))
                starts.push_back(i);
        while (starts.size() > 1) {
            std::vector<std::size_t> merged;
            for (std::size_t s = 0; s < starts.size(); s += 2) {
                merged.push_back(starts[s]);
                if (s + 1 == starts.size())
                    continue;
                const std::size_t end = s + 2 < starts.size() ? starts[s + 2] : items.size();
                std::inplace_merge(items.begin() + static_cast<std::ptrdiff_t>(starts[s]),
                                   items.begin() + static_cast<std::ptrdiff_t>(starts[s + 1]),
                                   items.begin() + static_cast<std::ptrdiff_t>(end), before);
            }
            starts = std::move(merged);
        }
        std::vector<std::size_t> positions;
        positions.reserve(items.size());
        for (const Item& item : items)
            positions.push_back(item.position);
        return positions;
    }

private:
    Reader Whole(std::size_t key) const { return {m_keys, key, 0}; }
    Reader Tail(std::size_t key) const { return {m_keys, key, m_keys.keys[key].headLength}; }

    // The head of a key written out, into out.
    const std::string& WrittenHead(std::size_t key, std::string& out) const {
        const PaddedKeys::Key& stored = m_keys.keys[key];
        out.clear();
        std::size_t at = 0;
        for (std::size_t r = stored.firstRun; r < stored.endRun && m_keys.runs[r].at < stored.headLength; ++r) {
            out.append(stored.text, at, m_keys.runs[r].at - at);
            out.append(m_keys.runs[r].count, '0');
            at = m_keys.runs[r].at;
        }
        out.append(stored.text, at, stored.headLength - at);
        return out;
    }

    std::vector<Item> SortByHeads() {
        std::unordered_map<Head, std::size_t, HeadHash> headIndex;
        std::vector<std::size_t> headKey; // a key with that head
        std::vector<Item> items;
        items.reserve(m_keys.keys.size());
        for (std::size_t k = 0; k < m_keys.keys.size(); ++k) {
            const PaddedKeys::Key& key = m_keys.keys[k];
            const ZeroRun* runs = m_keys.runs.data() + key.firstRun;
            std::size_t runCount = 0;
            while (key.firstRun + runCount < key.endRun && runs[runCount].at < key.headLength)
                ++runCount;
            const Head head{std::string_view(key.text).substr(0, key.headLength), runs, runCount};
            const auto [it, inserted] = headIndex.try_emplace(head, headKey.size());
            if (inserted)
                headKey.push_back(k);
            items.push_back({0, LeadingBytes(Tail(k)), it->second, k});
        }
        // Heads are written out two at a time for the order, so that long padding in them costs no more memory.
        const auto headOrder = [this, &headKey](std::size_t a, std::size_t b) {
            const std::size_t x = headKey[a], y = headKey[b];
            return m_order.Compare(WrittenHead(x, m_first), WrittenHead(y, m_second));
        };
        std::vector<std::size_t> byOrder(headKey.size());
        std::iota(byOrder.begin(), byOrder.end(), std::size_t{0});
        std::sort(byOrder.begin(), byOrder.end(), [&](std::size_t a, std::size_t b) { return headOrder(a, b) < 0; });
        std::vector<std::size_t> rank(headKey.size());
        for (std::size_t i = 0; i < byOrder.size(); ++i)
            rank[byOrder[i]] = i > 0 && headOrder(byOrder[i - 1], byOrder[i]) == 0 ? rank[byOrder[i - 1]] : i;
        for (Item& item : items)
            item.rank = rank[item.head];

        std::sort(items.begin(), items.end(), [this](const Item& a, const Item& b) {
            if (a.rank != b.rank)
                return a.rank < b.rank;
            if (a.tailStart != b.tailStart)
                return a.tailStart < b.tailStart;
            if (const int c = ByteOrder(Tail(a.position), Tail(b.position)); c != 0)
                return c < 0;
            if (const int c = ByteOrder(Whole(a.position), Whole(b.position)); c != 0)
                return c < 0;
            return a.position < b.position;
        });
        return items;
    }

    // Whether a comes before b: by the order of the written-out texts, then by bytes, then by position.
    bool Before(const Item& a, const Item& b) {
        const bool sameHead = a.head == b.head;
        const Reader x = Whole(a.position), y = Whole(b.position);
        const Reader tailOfA = Tail(a.position), tailOfB = Tail(b.position);
        const Difference bytes = sameHead ? FirstDifference(tailOfA, tailOfB, x, y, &m_splits, HeadEnd(a.position))
                                          : FirstDifference(x, y, x, y, &m_splits);
        if (bytes.a == kEnd && bytes.b == kEnd)
            return a.position < b.position;
        // Heads that compare equal leave the order to their tails where those start with a digit.
        const bool splitAtTails = !sameHead && a.rank == b.rank && IsDigit(tailOfA.Peek()) && IsDigit(tailOfB.Peek()) &&
                                  SplitsAfter(m_splits, HeadEnd(a.position)) &&
                                  SplitsAfter(m_splits, HeadEnd(b.position));
        const int c = Collate(splitAtTails ? FirstDifference(tailOfA, tailOfB, tailOfA, tailOfB, &m_splits) : bytes);
        return c != 0 ? c < 0 : bytes.a < bytes.b;
    }

    // The last byte of a key's head, kEnd for an empty head.
    int HeadEnd(std::size_t key) const {
        const PaddedKeys::Key& stored = m_keys.keys[key];
        return stored.headLength > 0 ? static_cast<unsigned char>(stored.text[stored.headLength - 1]) : kEnd;
    }

    // The order of the texts whose difference this is, from the rests on.
    int Collate(const Difference& difference) {
        if (difference.a == kEnd && difference.b == kEnd)
            return 0;
        // ASCII digits have ascending weights of their own under every collation, so texts that first differ in a
        // digit are ordered by that digit.
        if (IsDigit(difference.a) && IsDigit(difference.b))
            return difference.a - difference.b;
        return m_order.Compare(difference.restOfA.Rest(m_first), difference.restOfB.Rest(m_second));
    }

    const PaddedKeys& m_keys;
    const TextOrder& m_order;
    // Where a shared digit lets two texts be compared from there on: what they share before it cannot change their
    // order, so their zeros there need not be written out.
    Splits m_splits{};
    // The two texts written out at a time.
    std::string m_first;
    std::string m_second;
};

} // namespace

std::vector<std::size_t> SortPaddedKeys(const PaddedKeys& keys, const TextOrder& order) {
    return PaddedSort(keys, order).Run();
}
