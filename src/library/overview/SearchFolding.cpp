#include "SearchFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

void AppendFolded(UChar32 c, std::string& out) {
    c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
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

std::optional<std::pair<std::size_t, std::size_t>> FindFolded(std::string_view original, std::string_view foldedQuery) {
    if (foldedQuery.empty())
        return std::nullopt;
    const FoldedText folded = FoldForSearch(original, true);
    const std::size_t at = folded.text.find(foldedQuery);
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t end = at + foldedQuery.size();
    // A match that ends inside a character's folding takes in the whole character.
    std::size_t originalEnd = folded.origin[end];
    for (std::size_t k = end; k < folded.text.size() && folded.origin[k] == folded.origin[end - 1]; ++k)
        originalEnd = folded.origin[k + 1];
    return std::pair<std::size_t, std::size_t>(folded.origin[at], originalEnd);
}
