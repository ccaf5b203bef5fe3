#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Text made comparable for a search that ignores letter case and accents: each character decomposed, its combining
// marks dropped and its case folded (ICU), as UTF-8; the dotless i is an i, as its capital I is. Ill-formed bytes are
// dropped.
struct FoldedText {
    std::string text;
    // For each byte of text, the offset in the original of the character it came from; one more entry, the original's
    // length, closes it. Filled only when asked for.
    std::vector<std::uint32_t> origin;
};

FoldedText FoldForSearch(std::string_view text, bool withOrigin = false);

// Where the folded query first occurs in the original text, as byte offsets of the original [begin, end); nothing
// when it does not occur or is empty.
std::optional<std::pair<std::size_t, std::size_t>> FindFolded(std::string_view original, std::string_view foldedQuery);

// The terms of a query as typed, folded: each word on its own, to be found in any order, and text in double quotes
// (straight or curly) as one phrase. No terms for a query of blanks.
std::vector<std::string> FoldedSearchTerms(std::string_view query);

// Where the folded terms occur in the original text, as byte ranges of the original, in order, overlapping ones
// joined.
std::vector<std::pair<std::size_t, std::size_t>> FindFoldedTerms(std::string_view original,
                                                                 const std::vector<std::string>& foldedTerms);
