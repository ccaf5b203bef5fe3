#pragma once

#include <string>
#include <string_view>

// Appends text as a JSON string, byte for byte as the JSON library dumps valid UTF-8: quotes, backslashes and control
// characters escaped, everything else as it is. The bytes are not checked: text that may not be UTF-8 is the
// caller's to handle.
void AppendJsonEscaped(std::string& out, std::string_view text);
