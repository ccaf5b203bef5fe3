#pragma once

#include <string>
#include <string_view>

namespace html {

// The start of a self-contained page, up to and with its <body> tag: UTF-8, the title, the one style sheet of the
// exports (colours of highlights, notes, chapters, a layout for print). No script, no link to anything outside.
// language: the book's language where it is a language tag ("en", "pt-BR"), else empty.
std::string PageStart(std::string_view title, std::string_view language = {});
// The end of the page.
std::string_view PageEnd();

} // namespace html
