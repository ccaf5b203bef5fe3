#pragma once

#include <string>
#include <string_view>

// SQLite matches names (of tables, columns, keywords) ignoring the case of ASCII letters only; so does this.
std::string UpperCaseAscii(std::string text);
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);
