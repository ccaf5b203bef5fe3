#pragma once

#include "TextOrder.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A list of UTF-8 texts kept sorted under a TextOrder. An added text that compares equal to one present is dropped,
// so the first one added stays. Entries of the form name=value are split at their first "=".
class TSortedStringList {
public:
    explicit TSortedStringList(const TextOrder& order = TextOrder::ForUserLocale());

    // Puts text at its sorted place; false (and nothing changes) when an equal entry is present.
    bool Add(const std::string& text);
    // Whether an entry compares equal to text (so letter case is ignored).
    bool Contains(std::string_view text) const;
    // The entry's index, or -1.
    int IndexOf(std::string_view text) const;
    void Clear();

    std::size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const std::string& operator[](std::size_t index) const { return m_entries[index].text; }

    // The text before the first "=" of the entry (all of it when it holds none), and the text after it.
    std::string NameAt(std::size_t index) const;
    std::string ValueAt(std::size_t index) const;
    // The value of the first entry, in list order, whose name compares equal to name; empty when none.
    std::string ValueOf(std::string_view name) const;

    const TextOrder& Order() const { return *m_order; }

private:
    struct Entry {
        std::string text;
        std::string key;
        std::string nameKey;
    };
    // The first index whose key is not below key.
    std::size_t LowerBound(const std::string& key) const;

    const TextOrder* m_order;
    std::vector<Entry> m_entries;
};

std::string NamePart(std::string_view entry);
std::string ValuePart(std::string_view entry);
