#pragma once

#include "TextOrder.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
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
    void Clear();

    std::size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const std::string& operator[](std::size_t index) const { return Ordered()[index]->second.text; }
    // Every entry, in list order.
    std::vector<std::string> Entries() const;

    // The text before the first "=" of the entry (all of it when it holds none), and the text after it.
    std::string NameAt(std::size_t index) const;
    std::string ValueAt(std::size_t index) const;
    // The value of the first entry, in list order, whose name compares equal to name; empty when none.
    std::string ValueOf(std::string_view name) const;

    const TextOrder& Order() const { return *m_order; }

private:
    struct Entry {
        std::string text;
    };
    // Entries by their sort keys, whose byte order is the list's order.
    using EntryMap = std::map<std::string, Entry>;
    // The entries in order, for access by index; made again after a change.
    const std::vector<EntryMap::const_iterator>& Ordered() const;
    // For each name, the first entry in list order whose name compares equal to it: by the name's sort key, and by
    // the name's own bytes, which settle most lookups without a sort key. Made again at a lookup after a change.
    struct NameIndex {
        std::unordered_map<std::string, const std::string*> byKey;
        std::unordered_map<std::string, const std::string*> byBytes;
    };
    const NameIndex& Names() const;

    const TextOrder* m_order;
    EntryMap m_entries;
    mutable std::vector<EntryMap::const_iterator> m_ordered;
    mutable bool m_orderedIsCurrent = true;
    mutable NameIndex m_names;
    mutable bool m_namesAreCurrent = true;
};

std::string NamePart(std::string_view entry);
std::string ValuePart(std::string_view entry);
