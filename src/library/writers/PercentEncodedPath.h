#pragma once

#include <string>
#include <string_view>

// A relative path as a link's address: every byte but letters, digits, "-._~" and the "/" between names as %XX, so
// that spaces, brackets and non-ASCII names link the same in every Markdown reader.
std::string PercentEncodedPath(std::string_view path);
