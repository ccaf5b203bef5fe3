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

std::size_t TSortedStringList::LowerBound(const std::string& key) const {
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key,
                                     [](const Entry& entry, const std::string& k) { return entry.key < k; });
    return static_cast<std::size_t>(it - m_entries.begin());
}

bool TSortedStringList::Add(const std::string& text) {
    std::string key = m_order->SortKey(text);
    const std::size_t at = LowerBound(key);
    if (at < m_entries.size() && m_entries[at].key == key)
        return false;
    // Entries without "=" have no name to look up by, so no name key is worth making.
    std::string nameKey = text.find('=') == std::string::npos ? std::string() : m_order->SortKey(NamePart(text));
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(at),
                     Entry{text, std::move(key), std::move(nameKey)});
    return true;
}

int TSortedStringList::IndexOf(std::string_view text) const {
    const std::string key = m_order->SortKey(text);
    const std::size_t at = LowerBound(key);
    if (at < m_entries.size() && m_entries[at].key == key)
        return static_cast<int>(at);
    return -1;
}

bool TSortedStringList::Contains(std::string_view text) const {
    return IndexOf(text) >= 0;
}

void TSortedStringList::Clear() {
    m_entries.clear();
}

std::string TSortedStringList::NameAt(std::size_t index) const {
    return NamePart(m_entries[index].text);
}

std::string TSortedStringList::ValueAt(std::size_t index) const {
    return ValuePart(m_entries[index].text);
}

std::string TSortedStringList::ValueOf(std::string_view name) const {
    const std::string key = m_order->SortKey(name);
    for (const Entry& entry : m_entries)
        if (entry.nameKey == key && entry.text.find('=') != std::string::npos)
            return ValuePart(entry.text);
    return {};
}
