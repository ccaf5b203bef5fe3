#include "BookIdentity.h"

#include "SearchFolding.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cctype>
#include <cstdint>

namespace {

// Letters and digits only, from the folded text.
std::string LettersAndDigits(const std::string& folded) {
    std::string kept;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(folded.data());
    const auto length = static_cast<std::int32_t>(folded.size());
    for (std::int32_t at = 0; at < length;) {
        const std::int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c >= 0 && u_isalnum(c))
            kept.append(folded, static_cast<std::size_t>(start), static_cast<std::size_t>(at - start));
    }
    return kept;
}

} // namespace

std::string FoldedTitleAndAuthor(std::string_view title, std::string_view author) {
    return LettersAndDigits(FoldForSearch(title).text) + '\x1F' + LettersAndDigits(FoldForSearch(author).text);
}

std::string IsbnDigits(std::string_view identifier) {
    const auto startsWith = [&identifier](std::string_view prefix) {
        if (identifier.size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (static_cast<char>(std::tolower(static_cast<unsigned char>(identifier[i]))) != prefix[i])
                return false;
        return true;
    };
    for (const std::string_view prefix : {"urn:isbn:", "isbn:"})
        if (startsWith(prefix)) {
            identifier.remove_prefix(prefix.size());
            break;
        }
    std::string digits;
    for (const char c : identifier) {
        if (c == '-' || c == ' ')
            continue;
        const bool checkDigit = (c == 'X' || c == 'x') && digits.size() == 9;
        if (!std::isdigit(static_cast<unsigned char>(c)) && !checkDigit)
            return {};
        digits += c == 'x' ? 'X' : c;
    }
    return digits.size() == 10 || digits.size() == 13 ? digits : std::string();
}
