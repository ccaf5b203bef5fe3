#include "SearchFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace {

constexpr UChar32 kDotlessI = 0x0131;

void AppendFolded(UChar32 c, std::string& out) {
    // Turkish writes KASIM for Kas\u0131m: the capital folds to i, so the small letter must too.
    c = c == kDotlessI ? UChar32{'i'} : u_foldCase(c, U_FOLD_CASE_DEFAULT);
    char bytes[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(bytes, length, U8_MAX_LENGTH, c, error);
    if (!error)
        out.append(bytes, static_cast<std::size_t>(length));
}

} // namespace

FoldedText FoldForSearch(std::string_view text, bool withOrigin) {
    FoldedText folded;
    folded.text.reserve(text.size());
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    icu::UnicodeString decomposition;
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        const std::size_t before = folded.text.size();
        U8_NEXT(bytes, i, length, c);
        if (c < 0x80) {
            if (c >= 0)
                folded.text.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
        } else if (U_SUCCESS(status) && nfd->getDecomposition(c, decomposition)) {
            for (int32_t k = 0; k < decomposition.length();) {
                const UChar32 part = decomposition.char32At(k);
                k += U16_LENGTH(part);
                if (u_charType(part) != U_NON_SPACING_MARK)
                    AppendFolded(part, folded.text);
            }
        } else if (u_charType(c) != U_NON_SPACING_MARK) {
            AppendFolded(c, folded.text);
        }
        if (withOrigin)
            folded.origin.insert(folded.origin.end(), folded.text.size() - before, static_cast<std::uint32_t>(start));
    }
    if (withOrigin)
        folded.origin.push_back(static_cast<std::uint32_t>(text.size()));
    return folded;
}

namespace {

// The original's range of the folded text's bytes [at, end): a match that ends inside a character's folding takes in
// the whole character.
std::pair<std::size_t, std::size_t> OriginalRange(const FoldedText& folded, std::size_t at, std::size_t end) {
    std::size_t originalEnd = folded.origin[end];
    for (std::size_t k = end; k < folded.text.size() && folded.origin[k] == folded.origin[end - 1]; ++k)
        originalEnd = folded.origin[k + 1];
    return {folded.origin[at], originalEnd};
}

void AddTerm(std::string term, std::vector<std::string>& terms) {
    std::string folded = FoldForSearch(term).text;
    const auto first = folded.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return;
    folded = folded.substr(first, folded.find_last_not_of(" \t\r\n") - first + 1);
    terms.push_back(std::move(folded));
}

} // namespace

std::vector<std::string> FoldedSearchTerms(std::string_view query) {
    // Curly quotes count as straight ones.
    std::string typed;
    typed.reserve(query.size());
    for (std::size_t i = 0; i < query.size(); ++i) {
        const std::string_view rest = query.substr(i);
        if (rest.starts_with("\xE2\x80\x9C") || rest.starts_with("\xE2\x80\x9D")) {
            typed.push_back('"');
            i += 2;
        } else {
            typed.push_back(query[i]);
        }
    }
    std::vector<std::string> terms;
    std::string term;
    bool quoted = false;
    for (const char c : typed) {
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (c == '"' || (blank && !quoted)) {
            AddTerm(std::move(term), terms);
            term.clear();
            if (c == '"')
                quoted = !quoted;
        } else {
            term.push_back(c);
        }
    }
    AddTerm(std::move(term), terms);
    return terms;
}

std::vector<std::pair<std::size_t, std::size_t>> FindFoldedTerms(std::string_view original,
                                                                 const std::vector<std::string>& foldedTerms) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    if (foldedTerms.empty())
        return ranges;
    const FoldedText folded = FoldForSearch(original, true);
    for (const std::string& term : foldedTerms)
        for (auto at = folded.text.find(term); !term.empty() && at != std::string::npos;
             at = folded.text.find(term, at + term.size()))
            ranges.push_back(OriginalRange(folded, at, at + term.size()));
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<std::size_t, std::size_t>> joined;
    for (const auto& range : ranges) {
        if (!joined.empty() && range.first <= joined.back().second)
            joined.back().second = std::max(joined.back().second, range.second);
        else
            joined.push_back(range);
    }
    return joined;
}

std::optional<std::pair<std::size_t, std::size_t>> FindFolded(std::string_view original, std::string_view foldedQuery) {
    if (foldedQuery.empty())
        return std::nullopt;
    const FoldedText folded = FoldForSearch(original, true);
    const std::size_t at = folded.text.find(foldedQuery);
    if (at == std::string::npos)
        return std::nullopt;
    return OriginalRange(folded, at, at + foldedQuery.size());
}
