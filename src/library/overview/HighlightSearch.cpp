#include "HighlightSearch.h"

#include "SearchFolding.h"

#include <algorithm>

namespace {

bool Listed(const std::vector<std::string>& allowed, std::string_view value) {
    return allowed.empty() || std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

} // namespace

bool HighlightFilter::Admits(const OverviewHighlight& highlight) const {
    if (!Listed(colors, highlight.color) || !Listed(types, highlight.type))
        return false;
    if (goneOnly && !highlight.gone)
        return false;
    if (from.empty() && to.empty())
        return true;
    // Stored dates begin with YYYY-MM-DD, which sorts as the days do.
    const std::string_view day = highlight.date.substr(0, 10);
    if (!from.empty() && (day.empty() || day < from))
        return false;
    return to.empty() || (!day.empty() && day <= to);
}

HighlightSearch::HighlightSearch(const LibraryOverview& overview) : m_overview(overview) {
    m_starts.reserve(overview.highlights.size() + 1);
    // Folded, a text mostly keeps its length: room for all of them at once, where doubling as they came would leave
    // a third of it spare.
    std::size_t length = 0;
    for (const OverviewHighlight& highlight : overview.highlights)
        length += highlight.text.size() + highlight.note.size() + 2;
    m_folded.reserve(length);
    for (const OverviewHighlight& highlight : overview.highlights) {
        m_starts.push_back(m_folded.size());
        m_folded += FoldForSearch(highlight.text).text;
        m_folded += '\n';
        m_folded += FoldForSearch(highlight.note).text;
        m_folded += '\0';
    }
    m_starts.push_back(m_folded.size());
}

std::vector<std::size_t> HighlightSearch::Find(std::string_view query, const HighlightFilter& filter) const {
    const std::vector<std::string> terms = FoldedSearchTerms(query);
    std::vector<std::size_t> found;
    const std::size_t count = m_starts.size() - 1;
    if (terms.empty()) {
        for (std::size_t i = 0; i < count; ++i)
            if (filter.Admits(m_overview.highlights[i]))
                found.push_back(i);
        return found;
    }
    // The longest term is likely the rarest: its matches name the highlights that the others are looked for in.
    const std::string& lead = *std::max_element(
        terms.begin(), terms.end(), [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    const std::string_view all(m_folded);
    for (std::size_t at = all.find(lead); at != std::string_view::npos;) {
        const std::size_t i =
            std::size_t(std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin()) - 1;
        const std::string_view folded = all.substr(m_starts[i], m_starts[i + 1] - m_starts[i]);
        const bool holdsAll = std::all_of(terms.begin(), terms.end(), [&folded](const std::string& term) {
            return folded.find(term) != std::string_view::npos;
        });
        if (holdsAll && filter.Admits(m_overview.highlights[i]))
            found.push_back(i);
        at = all.find(lead, m_starts[i + 1]);
    }
    return found;
}
