#pragma once

// Texts that compare equal have equal sequences of primary collation weights. Where no contraction, combining mark or
// collator setting ties a character's weights to its neighbours, a text's sequence is the concatenation of its
// characters' own, so a hash of it can be built from a table instead of from the collation.
#include "TextOrder.h"

#include <unicode/umachine.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// Every contraction and prefix rule of a collator (its contractions with their prefixes), as
// ucol_getContractionsAndExpansions gives them: single characters in ranges, longer ones as UTF-16 texts. Looked
// through once per order.
struct TextOrder::Contractions {
    explicit Contractions(const UCollator* collator);
    bool complete = false; // the collator told them all
    std::vector<std::pair<UChar32, UChar32>> ranges;
    std::vector<std::u16string> texts;
};

struct TextOrder::CharacterWeights {
    // The non-zero bytes of a character's primary weights, in order, packed so that they can be copied without
    // looking at their length. A character with more bytes than fit is not usable.
    struct Weights {
        bool usable = false;
        std::uint8_t primaryLength = 0;
        std::array<char, 8> primary{};
    };

    CharacterWeights(const UCollator* collator, const Contractions& contractions);
    const Weights& Of(UChar32 c);
    const Weights& OfAscii(unsigned char c) const { return m_ascii[c]; }

    const UCollator* collator;
    bool enabled;
    // The most characters a contraction or prefix rule spans.
    int longestContraction = 1;
    // Room for the primary weights of the text being hashed.
    std::vector<char> primaryBuffer;

private:
    Weights Compute(UChar32 c) const;

    std::unordered_set<UChar32> m_inContractions;
    std::array<Weights, 128> m_ascii{};
    std::unordered_map<UChar32, Weights> m_others;
};
