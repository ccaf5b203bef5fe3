#pragma once

#include "TStream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A length-prefixed 8-bit string of at most 255 bytes; longer input is cut at 255 bytes.
class ShortString {
public:
    explicit ShortString(std::string_view text);
    std::string_view View() const { return {m_bytes, m_length}; }

private:
    unsigned char m_length = 0;
    char m_bytes[255] = {};
};

// A value of a kind the binding cannot handle (a class reference, a currency, a variant, an interface).
struct UnhandledValue {};

// One positional value; the alternative is its kind. Pointers to objects are borrowed, not owned.
using BindValue = std::variant<std::int32_t,    // 32-bit integer
                               bool,            // boolean
                               std::int64_t,    // 64-bit integer
                               long double,     // extended-precision float
                               std::string,     // 8-bit string (UTF-8)
                               ShortString,     // short 8-bit string
                               char,            // single 8-bit character
                               const char*,     // zero-terminated 8-bit text
                               std::u16string,  // wide string
                               char16_t,        // single wide character
                               const char16_t*, // zero-terminated wide text
                               std::nullptr_t,  // null pointer: SQL NULL
                               const void*,     // untyped pointer: SQL NULL when null
                               TObject*,        // an object: streams are bound as blobs
                               UnhandledValue>;

using BindValues = std::vector<BindValue>;
