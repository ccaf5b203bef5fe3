#pragma once

#include <string>
#include <string_view>

namespace html {

// Text appended as HTML character data or as a quoted attribute's value: "&", "<", ">", the quotes escaped; bytes
// that are not UTF-8, and the code points HTML forbids in a document (control characters other than TAB and LF,
// noncharacters), each one U+FFFD; a CR (or CR LF) is a LF.
void AppendEscaped(std::string& out, std::string_view text);

// The same, its line breaks as <br> elements.
void AppendLines(std::string& out, std::string_view text);

// "&<" as "&amp;&lt;": AppendEscaped into a new string.
std::string Escaped(std::string_view text);

} // namespace html
