#include "HighlightSearch.h"

#include "SearchFolding.h"

#include <algorithm>

namespace {

bool Listed(const std::vector<std::string>& allowed, const std::string& value) {
    return allowed.empty() || std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

} // namespace

bool HighlightFilter::Admits(const OverviewHighlight& highlight) const {
    if (!Listed(colors, highlight.color) || !Listed(types, highlight.type))
        return false;
    if (from.empty() && to.empty())
        return true;
    // Stored dates begin with YYYY-MM-DD, which sorts as the days do.
    const std::string_view day = std::string_view(highlight.date).substr(0, 10);
    if (!from.empty() && (day.empty() || day < from))
        return false;
    return to.empty() || (!day.empty() && day <= to);
}

HighlightSearch::HighlightSearch(const LibraryOverview& overview) : m_overview(overview) {
    m_folded.reserve(overview.highlights.size());
    for (const OverviewHighlight& highlight : overview.highlights)
        m_folded.push_back(FoldForSearch(highlight.text).text + '\n' + FoldForSearch(highlight.note).text);
}

std::vector<std::size_t> HighlightSearch::Find(std::string_view query, const HighlightFilter& filter) const {
    const std::vector<std::string> terms = FoldedSearchTerms(query);
    const auto holdsAll = [&terms](const std::string& folded) {
        return std::all_of(terms.begin(), terms.end(),
                           [&folded](const std::string& term) { return folded.find(term) != std::string::npos; });
    };
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_folded.size(); ++i)
        if (holdsAll(m_folded[i]) && filter.Admits(m_overview.highlights[i]))
            found.push_back(i);
    return found;
}
