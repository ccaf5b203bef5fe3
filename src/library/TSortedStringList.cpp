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
    return true;
}

bool TSortedStringList::Contains(std::string_view text) const {
    return m_entries.count(m_order->SortKey(text)) != 0;
}

void TSortedStringList::Clear() {
    m_entries.clear();
    m_ordered.clear();
    m_orderedIsCurrent = true;
}

std::string TSortedStringList::NameAt(std::size_t index) const {
    return NamePart((*this)[index]);
}

std::string TSortedStringList::ValueAt(std::size_t index) const {
    return ValuePart((*this)[index]);
}

std::string TSortedStringList::ValueOf(std::string_view name) const {
    const std::string key = m_order->SortKey(name);
    for (const auto& [sortKey, entry] : m_entries) {
        if (entry.text.find('=') == std::string::npos)
            continue; // no name to look up by
        if (!entry.nameKey)
            entry.nameKey = m_order->SortKey(NamePart(entry.text));
        if (*entry.nameKey == key)
            return ValuePart(entry.text);
    }
    return {};
}
