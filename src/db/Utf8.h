#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Whether bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut-off sequence.
// The window decodes text this strictly and shows invalid text as empty text.
bool IsValidUtf8(std::string_view bytes);

// The length of the well-formed UTF-8 sequence that text starts with, and its code point; 0 when there is none.
std::size_t NextUtf8CodePoint(std::string_view text, char32_t& code);
