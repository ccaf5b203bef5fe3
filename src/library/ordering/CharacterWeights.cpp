#include "CharacterWeights.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

bool SettingsKeepEqualityPerCharacter(const UCollator* collator) {
    UErrorCode status = U_ZERO_ERROR;
    const bool ok = ucol_getAttribute(collator, UCOL_ALTERNATE_HANDLING, &status) == UCOL_NON_IGNORABLE &&
                    ucol_getAttribute(collator, UCOL_CASE_LEVEL, &status) == UCOL_OFF &&
                    ucol_getAttribute(collator, UCOL_NUMERIC_COLLATION, &status) == UCOL_OFF;
    return ok && U_SUCCESS(status);
}

// For every contraction and prefix rule of the collator, one of its characters: a text holding none of these cannot
// meet a contraction.
std::unordered_set<UChar32> CharactersInContractions(const TextOrder::Contractions& contractions, int& longest) {
    std::unordered_set<UChar32> characters;
    for (const auto& [start, end] : contractions.ranges)
        for (UChar32 c = start; c <= end; ++c)
            characters.insert(c);
    for (const std::u16string& text : contractions.texts) {
        // A text that lacks any one character of a contraction cannot meet it; the rarest-looking one is marked,
        // so that common text stays free of marks: the last character outside ASCII, else the last one.
        UChar32 marked = -1;
        bool markedIsAscii = true;
        int characterCount = 0;
        const auto length = static_cast<int32_t>(text.size());
        for (int32_t i = 0; i < length; ++characterCount) {
            UChar32 c = 0;
            U16_NEXT(text.data(), i, length, c);
            if (c >= 128 || markedIsAscii) {
                marked = c;
                markedIsAscii = c < 128;
            }
        }
        characters.insert(marked);
        longest = std::max(longest, characterCount);
    }
    return characters;
}

} // namespace

TextOrder::Contractions::Contractions(const UCollator* collator) {
    UErrorCode status = U_ZERO_ERROR;
    USet* set = uset_openEmpty();
    ucol_getContractionsAndExpansions(collator, set, nullptr, true, &status);
    std::u16string text(64, u'\0');
    for (int32_t item = 0; U_SUCCESS(status) && item < uset_getItemCount(set); ++item) {
        UChar32 start = 0, end = 0;
        const auto fetch = [&] {
            return uset_getItem(set, item, &start, &end, reinterpret_cast<UChar*>(text.data()),
                                static_cast<int32_t>(text.size()), &status);
        };
        int32_t length = fetch();
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            status = U_ZERO_ERROR;
            text.resize(static_cast<std::size_t>(length));
            length = fetch();
        }
        if (length == 0)
            ranges.emplace_back(start, end);
        else
            texts.emplace_back(text, 0, static_cast<std::size_t>(length));
    }
    uset_close(set);
    complete = U_SUCCESS(status);
}

TextOrder::CharacterWeights::CharacterWeights(const UCollator* collator_, const Contractions& contractions)
    : collator(collator_), enabled(SettingsKeepEqualityPerCharacter(collator_) && contractions.complete),
      m_inContractions(enabled ? CharactersInContractions(contractions, longestContraction)
                               : std::unordered_set<UChar32>{}) {
    for (UChar32 c = 0; enabled && c < 128; ++c)
        m_ascii[static_cast<std::size_t>(c)] = Compute(c);
}

const TextOrder::CharacterWeights::Weights& TextOrder::CharacterWeights::Of(UChar32 c) {
    if (c < 128)
        return m_ascii[static_cast<std::size_t>(c)];
    const auto found = m_others.find(c);
    if (found != m_others.end())
        return found->second;
    return m_others.emplace(c, Compute(c)).first->second;
}

TextOrder::CharacterWeights::Weights TextOrder::CharacterWeights::Compute(UChar32 c) const {
    Weights weights;
    if (u_getCombiningClass(c) != 0 || m_inContractions.count(c) != 0)
        return weights;
    UChar text[2];
    int32_t length = 0;
    UBool error = false;
    U16_APPEND(text, length, 2, c, error);
    if (error)
        return weights;
    UErrorCode status = U_ZERO_ERROR;
    UCollationElements* elements = ucol_openElements(collator, text, length, &status);
    std::string primaryBytes;
    for (int32_t element = ucol_next(elements, &status); U_SUCCESS(status) && element != UCOL_NULLORDER;
         element = ucol_next(elements, &status)) {
        const auto primary = static_cast<std::uint32_t>(ucol_primaryOrder(element));
        for (const std::uint32_t byte : {primary >> 8, primary & 0xFF})
            if (byte != 0)
                primaryBytes += static_cast<char>(byte);
    }
    ucol_closeElements(elements);
    if (U_FAILURE(status) || primaryBytes.size() > weights.primary.size())
        return weights;
    std::copy(primaryBytes.begin(), primaryBytes.end(), weights.primary.begin());
    weights.primaryLength = static_cast<std::uint8_t>(primaryBytes.size());
    weights.usable = true;
    return weights;
}

const TextOrder::Contractions& TextOrder::ContractionsOf() const {
    std::call_once(m_contractionsMade, [this] { m_contractions = std::make_unique<Contractions>(m_collator.get()); });
    return *m_contractions;
}

TextOrder::CharacterWeights& TextOrder::Weights() const {
    std::call_once(m_weightsMade,
                   [this] { m_weights = std::make_unique<CharacterWeights>(m_collator.get(), ContractionsOf()); });
    return *m_weights;
}

void TextOrder::PrepareQuickComparisons() const {
    Weights();
    SplitsAfter();
}

std::optional<std::uint64_t> TextOrder::EqualityHash(std::string_view text) const {
    CharacterWeights& table = Weights();
    if (!table.enabled)
        return std::nullopt;
    // Equal texts have equal primary weights, so those alone make a hash that equal texts share. Each character
    // copies its whole packed weights and advances by their length: room for the largest.
    if (table.primaryBuffer.size() < (text.size() + 1) * 8)
        table.primaryBuffer.resize((text.size() + 1) * 8);
    char* primary = table.primaryBuffer.data();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        const CharacterWeights::Weights* weights = nullptr;
        if (bytes[i] < 0x80) {
            weights = &table.OfAscii(bytes[i]);
            ++i;
        } else {
            UChar32 c = 0;
            U8_NEXT(bytes, i, length, c);
            if (c < 0)
                return std::nullopt;
            weights = &table.Of(c);
        }
        if (!weights->usable)
            return std::nullopt;
        std::memcpy(primary, weights->primary.data(), weights->primary.size());
        primary += weights->primaryLength;
    }
    return std::hash<std::string_view>{}(
        std::string_view(table.primaryBuffer.data(), static_cast<std::size_t>(primary - table.primaryBuffer.data())));
}

std::optional<std::uint8_t> TextOrder::LastPrimaryByte(std::string_view text) const {
    CharacterWeights& table = Weights();
    if (!table.enabled)
        return std::nullopt;
    // Walking back to the last character with a primary weight, then as many more as a contraction could span: when
    // none of these is unusable, no contraction or mark touches that character, and its own weight is the text's.
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t i = static_cast<int32_t>(text.size());
    std::optional<std::uint8_t> last;
    int stillToCheck = table.longestContraction;
    while (i > 0 && stillToCheck > 0) {
        UChar32 c = 0;
        U8_PREV(bytes, 0, i, c);
        if (c < 0)
            return std::nullopt;
        const CharacterWeights::Weights& weights =
            c < 0x80 ? table.OfAscii(static_cast<unsigned char>(c)) : table.Of(c);
        if (!weights.usable)
            return std::nullopt;
        if (!last && weights.primaryLength > 0)
            last = static_cast<std::uint8_t>(weights.primary[weights.primaryLength - 1u]);
        if (last)
            --stillToCheck;
    }
    return last.value_or(0);
}
