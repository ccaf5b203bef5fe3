#include "TSortedStringList.h"

#include <algorithm>

std::string NamePart(std::string_view entry) {
    return std::string(entry.substr(0, entry.find('=')));
}

std::string ValuePart(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    return equals == std::string_view::npos ? std::string() : std::string(entry.substr(equals + 1));
}

TSortedStringList::TSortedStringList(const TextOrder& order) : m_order(&order) {}

const std::vector<TSortedStringList::EntryMap::const_iterator>& TSortedStringList::Ordered() const {
    if (!m_orderedIsCurrent) {
        m_ordered.clear();
        m_ordered.reserve(m_entries.size());
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            m_ordered.push_back(it);
        m_orderedIsCurrent = true;
    }
    return m_ordered;
}

std::vector<std::string> TSortedStringList::Entries() const {
    std::vector<std::string> texts;
    texts.reserve(m_entries.size());
    for (const auto& [key, entry] : m_entries)
        texts.push_back(entry.text);
    return texts;
}

bool TSortedStringList::Add(const std::string& text) {
    auto [it, added] = m_entries.try_emplace(m_order->SortKey(text));
    if (!added)
        return false;
    it->second.text = text;
    m_orderedIsCurrent = false;
    m_namesAreCurrent = false;
    return true;
}

bool TSortedStringList::Contains(std::string_view text) const {
    return m_entries.count(m_order->SortKey(text)) != 0;
}

void TSortedStringList::Clear() {
    m_entries.clear();
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

const TSortedStringList::NameIndex& TSortedStringList::Names() const {
    if (!m_namesAreCurrent) {
        m_names = {};
        for (const auto& [sortKey, entry] : m_entries) {
            const std::size_t equals = entry.text.find('=');
            if (equals == std::string::npos)
                continue; // no name to look up by
            const std::string name = entry.text.substr(0, equals);
            // Walking in list order, the first entry of each name stays.
            const auto known = m_names.byKey.try_emplace(m_order->SortKey(name), &entry.text).first;
            m_names.byBytes.try_emplace(name, known->second);
        }
        m_namesAreCurrent = true;
    }
    return m_names;
}

std::string TSortedStringList::ValueOf(std::string_view name) const {
    const NameIndex& names = Names();
    // A name whose bytes an entry's name has compares equal to that name, and so has its first entry.
    if (const auto same = names.byBytes.find(std::string(name)); same != names.byBytes.end())
        return ValuePart(*same->second);
    const auto equal = names.byKey.find(m_order->SortKey(name));
    return equal == names.byKey.end() ? std::string() : ValuePart(*equal->second);
}
