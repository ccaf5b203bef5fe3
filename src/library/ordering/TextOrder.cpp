#include "TextOrder.h"

#include "CharacterWeights.h"

#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

// "de_DE.UTF-8@euro" -> "de_DE"; the C and POSIX locales have no language, so the root order serves them.
std::string IcuLocaleFromPosix(std::string name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name == "C" || name == "POSIX")
        return {};
    return name;
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string wide(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    wide.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return wide;
}

bool IsAsciiDigit(UChar32 c) {
    return c >= u'0' && c <= u'9';
}

// Collation elements are made from a text's characters, with contractions and context rules spanning a few adjacent
// ones. Where none joins a character to a following digit, the elements of a text split between the two are those of
// its parts, one after the other, and with every level compared forwards, equal first parts leave the order to the
// second ones. Entry c: whether that holds for the ASCII character c.
std::array<bool, 128> SplitsBeforeDigits(const UCollator* collator, const TextOrder::Contractions& contractions) {
    std::array<bool, 128> splits{};
    UErrorCode status = U_ZERO_ERROR;
    if (ucol_getAttribute(collator, UCOL_NUMERIC_COLLATION, &status) != UCOL_OFF ||
        ucol_getAttribute(collator, UCOL_FRENCH_COLLATION, &status) != UCOL_OFF || U_FAILURE(status) ||
        !contractions.complete)
        return splits;
    splits.fill(true);
    for (const std::u16string& text : contractions.texts)
        for (std::size_t i = 1; i < text.size(); ++i)
            if (IsAsciiDigit(text[i]) && text[i - 1] < 128)
                splits[text[i - 1]] = false;
    return splits;
}

} // namespace

void TextOrder::CollatorCloser::operator()(UCollator* collator) const noexcept {
    ucol_close(collator);
}

TextOrder::TextOrder(const std::string& localeId) {
    UErrorCode status = U_ZERO_ERROR;
    const std::string icuLocale = IcuLocaleFromPosix(localeId);
    m_collator.reset(ucol_open(icuLocale.c_str(), &status));
    if (U_FAILURE(status) || !m_collator) {
        status = U_ZERO_ERROR;
        m_collator.reset(ucol_open("", &status));
    }
    if (U_FAILURE(status) || !m_collator)
        throw std::runtime_error("cannot open the text collation");
    ucol_setStrength(m_collator.get(), UCOL_SECONDARY);
}

TextOrder::~TextOrder() = default;

std::string TextOrder::UserLocaleId() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

const TextOrder& TextOrder::ForUserLocale() {
    static const TextOrder order(UserLocaleId());
    return order;
}

int TextOrder::Compare(std::string_view a, std::string_view b) const {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(m_collator.get(), a.data(), static_cast<int32_t>(a.size()),
                                                     b.data(), static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status))
        return SortKey(a).compare(SortKey(b));
    return static_cast<int>(result);
}

const std::array<bool, 128>& TextOrder::SplitsAfter() const {
    std::call_once(m_splitsMade, [this] { m_splitsAfter = SplitsBeforeDigits(m_collator.get(), ContractionsOf()); });
    return m_splitsAfter;
}

bool TextOrder::SplitsBeforeDigitAfter(char before) const {
    const auto c = static_cast<unsigned char>(before);
    return c < 128 && SplitsAfter()[c];
}

std::string TextOrder::SortKey(std::string_view text) const {
    const std::u16string wide = ToUtf16(text);
    const auto* chars = reinterpret_cast<const UChar*>(wide.data());
    const auto length = static_cast<int32_t>(wide.size());
    std::string key(wide.size() * 2 + 16, '\0');
    int32_t needed = ucol_getSortKey(m_collator.get(), chars, length, reinterpret_cast<uint8_t*>(key.data()),
                                     static_cast<int32_t>(key.size()));
    if (needed > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(needed));
        needed = ucol_getSortKey(m_collator.get(), chars, length, reinterpret_cast<uint8_t*>(key.data()),
                                 static_cast<int32_t>(key.size()));
    }
    key.resize(needed > 0 ? static_cast<std::size_t>(needed - 1) : 0); // without the terminating zero
    return key;
}
