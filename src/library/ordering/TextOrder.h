#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct UCollator;

// The one case-insensitive comparison of texts in the user's locale: the order of the index lists and of the
// bookmarks. Letter case is ignored, accents are not. Texts are UTF-8; ill-formed bytes count as U+FFFD.
class TextOrder {
public:
    // localeId is an ICU or POSIX locale name ("de_DE.UTF-8", "fr", ...); "", "C" and "POSIX" give the root order.
    explicit TextOrder(const std::string& localeId);
    ~TextOrder();
    TextOrder(const TextOrder&) = delete;
    TextOrder& operator=(const TextOrder&) = delete;

    // The order of the user's locale, from LC_ALL, LC_COLLATE or LANG, made once.
    static const TextOrder& ForUserLocale();
    // The locale named by the environment, as a POSIX locale name; empty for the root order.
    static std::string UserLocaleId();

    // Negative, zero or positive as a sorts before, equal to or after b.
    int Compare(std::string_view a, std::string_view b) const;
    // A byte string whose plain byte order is this order: Compare(a, b) has the sign of SortKey(a) <=> SortKey(b).
    std::string SortKey(std::string_view text) const;

    // A hash that texts comparing equal always share, made from each character's primary collation weights without
    // running the collation. Empty where the characters do not allow it (contractions, combining marks, ill-formed
    // UTF-8) or the collator's settings make equality depend on more than each character. Unequal hashes prove texts
    // unequal.
    std::optional<std::uint64_t> EqualityHash(std::string_view text) const;
    // The last byte of the text's primary weights (0 when it has none), which texts comparing equal share, found from
    // its last characters alone; empty where they do not allow it.
    std::optional<std::uint8_t> LastPrimaryByte(std::string_view text) const;
    // Whether two texts, each split before an ASCII digit that follows the ASCII character before, into parts whose
    // first parts compare equal, compare as their second parts do: no contraction or context rule joins that
    // character to a digit, and no setting ties digits to their neighbours (numbers compared as numbers, accents
    // compared backwards).
    bool SplitsBeforeDigitAfter(char before) const;

    // Makes the tables behind EqualityHash, LastPrimaryByte and SplitsBeforeDigitAfter, which their first use would
    // make: some milliseconds of looking through the collator's contractions, which another thread may take on while
    // this one reads. Safe to run beside any use of the order.
    void PrepareQuickComparisons() const;

    // The collator's contractions, enumerated once for the order's own tables (CharacterWeights.h).
    struct Contractions;

private:
    struct CharacterWeights;
    struct CollatorCloser {
        void operator()(UCollator* collator) const noexcept;
    };
    std::unique_ptr<UCollator, CollatorCloser> m_collator;
    // Each made once, at first use, by whichever thread needs it first.
    const Contractions& ContractionsOf() const;
    CharacterWeights& Weights() const;
    const std::array<bool, 128>& SplitsAfter() const;
    mutable std::once_flag m_contractionsMade;
    mutable std::unique_ptr<Contractions> m_contractions;
    mutable std::once_flag m_weightsMade;
    mutable std::unique_ptr<CharacterWeights> m_weights;
    mutable std::once_flag m_splitsMade;
    mutable std::array<bool, 128> m_splitsAfter{};
};
