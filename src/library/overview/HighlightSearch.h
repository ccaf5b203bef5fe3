#pragma once

#include "LibraryOverview.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What a search over all highlights keeps to; an empty list or date lets everything through.
struct HighlightFilter {
    std::vector<std::string> colors; // color names, "" for none
    std::vector<std::string> types;  // type names, "" for none
    std::string from;                // first day, YYYY-MM-DD
    std::string to;                  // last day, YYYY-MM-DD
    bool goneOnly = false;           // only the highlights gone from their reader (read from the archive)

    bool Admits(const OverviewHighlight& highlight) const;
};

// The text and note of every highlight of an overview, folded once (SearchFolding.h) so that each keystroke of a
// search only scans them; and the headings of its chapters where the overview was read without them.
class HighlightSearch {
public:
    // The overview must outlive the search.
    explicit HighlightSearch(const LibraryOverview& overview);
    // Gives it the headings of the overview's chapters, where the overview was read without them (ReadChapterHeadings);
    // before it is shared.
    void SetHeadings(ChapterHeadings headings) {
        m_headings = std::make_shared<const ChapterHeadings>(std::move(headings));
    }
    // Those headings, to be kept where the search need not be; null where the overview's own stand.
    const std::shared_ptr<const ChapterHeadings>& Headings() const { return m_headings; }

    // The highlights whose text or note holds every term of the query (FoldedSearchTerms: its words in any order, its
    // quoted phrases), case and accents ignored, in the overview's order; a query without terms finds every highlight
    // the filter admits.
    std::vector<std::size_t> Find(std::string_view query, const HighlightFilter& filter) const;

    // The heading of the highlight's chapter: the one given, else the overview's.
    std::string_view ChapterOf(const OverviewHighlight& highlight) const {
        return m_overview.ChapterOf(highlight, m_headings.get());
    }

private:
    const LibraryOverview& m_overview;
    std::shared_ptr<const ChapterHeadings> m_headings;
    // Every highlight's folded text, a line feed and its folded note, one after another with a NUL after each, in one
    // piece: a term is looked for in all of them in one sweep, and a match never joins two highlights (nor a text and
    // its note).
    std::string m_folded;
    std::vector<std::size_t> m_starts; // where each highlight begins in m_folded, and its end
};
