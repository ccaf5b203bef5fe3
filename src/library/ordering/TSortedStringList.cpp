#include "TSortedStringList.h"

#include <algorithm>

namespace {

// The name of an entry name=value; nothing for an entry without "=".
std::optional<std::string_view> NameOf(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    return equals == std::string_view::npos ? std::nullopt : std::optional(entry.substr(0, equals));
}

} // namespace

std::string NamePart(std::string_view entry) {
    return std::string(entry.substr(0, entry.find('=')));
}

std::string ValuePart(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    return equals == std::string_view::npos ? std::string() : std::string(entry.substr(equals + 1));
}

TSortedStringList::TSortedStringList(const TextOrder& order) : m_order(&order) {}

bool TSortedStringList::Add(const std::string& text) {
    const std::lock_guard lock(m_mutex);
    const std::optional<std::uint64_t> hash = m_order->EqualityHash(text);
    const std::optional<std::string_view> name = NameOf(text);
    const std::optional<std::uint64_t> nameHash = name ? m_order->EqualityHash(*name) : std::nullopt;
    if (hash && !m_unhashed && m_hashes.count(*hash) == 0) {
        // Equal texts share their hash: no entry equals this one.
        m_pending.push_back({text, nameHash});
        m_hashes.insert(*hash);
    } else {
        Settle();
        auto [it, added] = m_entries.try_emplace(m_order->SortKey(text));
        if (!added)
            return false;
        it->second = {text, nameHash};
        if (hash)
            m_hashes.insert(*hash);
        else
            m_unhashed = true;
    }
    m_orderedIsCurrent = false;
    m_namesAreCurrent = false;
    return true;
}

void TSortedStringList::Settle() const {
    if (m_pending.empty())
        return;
    for (Entry& entry : m_pending) {
        std::string key = m_order->SortKey(entry.text);
        m_entries.try_emplace(std::move(key), std::move(entry));
    }
    m_pending.clear();
    m_orderedIsCurrent = false;
    m_namesAreCurrent = false; // it viewed the pending entries
}

std::size_t TSortedStringList::Count() const {
    const std::lock_guard lock(m_mutex);
    return m_entries.size() + m_pending.size();
}

const std::vector<TSortedStringList::EntryMap::const_iterator>& TSortedStringList::OrderedLocked() const {
    Settle();
    if (!m_orderedIsCurrent) {
        m_ordered.clear();
        m_ordered.reserve(m_entries.size());
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            m_ordered.push_back(it);
        m_orderedIsCurrent = true;
    }
    return m_ordered;
}

const std::vector<TSortedStringList::EntryMap::const_iterator>& TSortedStringList::Ordered() const {
    const std::lock_guard lock(m_mutex);
    return OrderedLocked();
}

std::vector<std::string> TSortedStringList::Entries() const {
    std::vector<std::string> texts;
    const std::lock_guard lock(m_mutex);
    Settle();
    texts.reserve(m_entries.size());
    for (const auto& [key, entry] : m_entries)
        texts.push_back(entry.text);
    return texts;
}

bool TSortedStringList::Contains(std::string_view text) const {
    const std::lock_guard lock(m_mutex);
    Settle();
    return m_entries.count(m_order->SortKey(text)) != 0;
}

void TSortedStringList::Clear() {
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_pending.clear();
    m_hashes.clear();
    m_unhashed = false;
    m_ordered.clear();
    m_orderedIsCurrent = true;
    m_names = {};
    m_namesAreCurrent = true;
}

std::string TSortedStringList::NameAt(std::size_t index) const {
    return NamePart((*this)[index]);
}

std::string TSortedStringList::ValueAt(std::size_t index) const {
    return ValuePart((*this)[index]);
}

// Names that compare equal share their hash, so a name whose hash no other entry's name has is looked up by its bytes
// alone. Among entries whose names share a hash, their names' keys tell which compare equal, and their own keys which
// comes first in list order.
void TSortedStringList::IndexNames() const {
    if (m_namesAreCurrent)
        return;
    struct Named {
        const Entry* entry;
        std::string_view name;
        const std::string* key; // for an entry with a place; null for one without
    };
    std::vector<Named> named;
    for (const auto& [key, entry] : m_entries)
        if (const auto name = NameOf(entry.text))
            named.push_back({&entry, *name, &key});
    for (const Entry& entry : m_pending)
        if (const auto name = NameOf(entry.text))
            named.push_back({&entry, *name, nullptr});
    if (std::any_of(named.begin(), named.end(), [](const Named& n) { return !n.entry->nameHash; })) {
        IndexNamesByKey();
        return;
    }
    m_names = {};
    std::unordered_map<std::uint64_t, std::vector<const Named*>> byHash;
    for (const Named& n : named)
        byHash[*n.entry->nameHash].push_back(&n);
    for (const auto& [hash, group] : byHash) {
        if (group.size() == 1) {
            m_names.byBytes.emplace(group.front()->name, &group.front()->entry->text);
            continue;
        }
        std::vector<std::string> keys; // each one's own key, its place in list order
        std::vector<std::string> nameKeys;
        for (const Named* n : group) {
            keys.push_back(n->key ? *n->key : m_order->SortKey(n->entry->text));
            nameKeys.push_back(m_order->SortKey(n->name));
        }
        // The first in list order of the entries whose names compare equal: the least key.
        std::unordered_map<std::string_view, std::size_t> first;
        for (std::size_t i = 0; i < group.size(); ++i) {
            const auto [it, added] = first.try_emplace(nameKeys[i], i);
            if (!added && keys[i] < keys[it->second])
                it->second = i;
        }
        for (std::size_t i = 0; i < group.size(); ++i)
            m_names.byBytes.try_emplace(group[i]->name, &group[first.at(nameKeys[i])]->entry->text);
    }
    m_namesAreCurrent = true;
}

// Every name by its key, walking the entries in list order so that the first entry of each name stays.
void TSortedStringList::IndexNamesByKey() const {
    Settle();
    m_names = {};
    for (const auto& [sortKey, entry] : m_entries) {
        const auto name = NameOf(entry.text);
        if (!name)
            continue; // no name to look up by
        const auto known = m_names.byKey.try_emplace(m_order->SortKey(*name), &entry.text).first;
        m_names.byBytes.try_emplace(*name, known->second);
    }
    m_names.keyed = true;
    m_namesAreCurrent = true;
}

void TSortedStringList::PlaceAll() const {
    const std::lock_guard lock(m_mutex);
    OrderedLocked();
    IndexNames();
}

std::string TSortedStringList::ValueOf(std::string_view name) const {
    const std::lock_guard lock(m_mutex);
    IndexNames();
    // A name whose bytes an entry's name has compares equal to that name, and so has its first entry.
    if (const auto same = m_names.byBytes.find(name); same != m_names.byBytes.end())
        return ValuePart(*same->second);
    if (!m_names.keyed)
        IndexNamesByKey();
    const auto equal = m_names.byKey.find(m_order->SortKey(name));
    return equal == m_names.byKey.end() ? std::string() : ValuePart(*equal->second);
}
