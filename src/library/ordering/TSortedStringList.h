#pragma once

#include "TextOrder.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// A list of UTF-8 texts kept sorted under a TextOrder. An added text that compares equal to one present is dropped,
// so the first one added stays. Entries of the form name=value are split at their first "=".
//
// Sort keys are made only where they are needed: an added text whose equality hash (TextOrder::EqualityHash) no entry
// shares is equal to none, and waits unplaced until the order is asked for; a lookup by name needs the keys only of
// entries whose names share a hash. A list read only by name (the title and author pairs, for a command line) makes
// few keys. Reading is safe from several threads at once; adding is not.
class TSortedStringList {
public:
    explicit TSortedStringList(const TextOrder& order = TextOrder::ForUserLocale());

    // Puts text at its sorted place; false (and nothing changes) when an equal entry is present.
    bool Add(const std::string& text);
    // Whether an entry compares equal to text (so letter case is ignored).
    bool Contains(std::string_view text) const;
    void Clear();

    std::size_t Count() const;
    bool Empty() const { return Count() == 0; }
    const std::string& operator[](std::size_t index) const { return Ordered()[index]->second.text; }
    // Every entry, in list order.
    std::vector<std::string> Entries() const;

    // The text before the first "=" of the entry (all of it when it holds none), and the text after it.
    std::string NameAt(std::size_t index) const;
    std::string ValueAt(std::size_t index) const;
    // The value of the first entry, in list order, whose name compares equal to name; empty when none.
    std::string ValueOf(std::string_view name) const;

    const TextOrder& Order() const { return *m_order; }
    // Gives every entry its place and indexes the names now, where a caller has a thread to spare for it, so that the
    // first reading in list order or by name finds them made.
    void PlaceAll() const;

private:
    struct Entry {
        std::string text;
        std::optional<std::uint64_t> nameHash; // of the name, where the text has one and it has a hash
    };
    // Entries by their sort keys, whose byte order is the list's order.
    using EntryMap = std::map<std::string, Entry>;
    // For each name's bytes, the first entry in list order whose name compares equal to it; for any other name, the
    // same by the names' sort keys, made at the first lookup that needs them. Made again at a lookup after a change.
    struct NameIndex {
        std::unordered_map<std::string_view, const std::string*> byBytes;
        bool keyed = false; // byKey is made
        std::unordered_map<std::string, const std::string*> byKey;
    };

    // Each with m_mutex held.
    void Settle() const;
    const std::vector<EntryMap::const_iterator>& OrderedLocked() const;
    const std::vector<EntryMap::const_iterator>& Ordered() const;
    void IndexNames() const;
    void IndexNamesByKey() const;

    const TextOrder* m_order;
    mutable std::mutex m_mutex;
    mutable EntryMap m_entries;
    // Added and equal to no other entry, as their hashes show, but without a place until the order is asked for.
    mutable std::vector<Entry> m_pending;
    std::unordered_set<std::uint64_t> m_hashes; // of every entry's text
    bool m_unhashed = false;                    // an entry's text has no hash: every addition is compared by key
    mutable std::vector<EntryMap::const_iterator> m_ordered;
    mutable bool m_orderedIsCurrent = true;
    mutable NameIndex m_names;
    mutable bool m_namesAreCurrent = true;
};

std::string NamePart(std::string_view entry);
std::string ValuePart(std::string_view entry);
