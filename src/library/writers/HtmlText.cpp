#include "HtmlText.h"

#include "Utf8.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// The code points that make an HTML document invalid wherever they stand (the HTML standard's parse errors
// "control-character-in-input-stream" and "noncharacter-in-input-stream").
bool ForbiddenInHtml(char32_t code) {
    if (code == '\t' || code == '\n')
        return false;
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
        return true;
    return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
}

// Calls put(piece) for each run of the text made safe; a line break comes as "\n" alone.
template <class Put> void EachSafePiece(std::string_view text, Put&& put) {
    std::size_t run = 0, i = 0;
    const auto flush = [&](std::size_t end) {
        if (end > run)
            put(text.substr(run, end - run));
    };
    while (i < text.size()) {
        const char c = text[i];
        std::string_view replacement;
        std::size_t length = 1;
        switch (c) {
        case '&':
            replacement = "&amp;";
            break;
        case '<':
            replacement = "&lt;";
            break;
        case '>':
            replacement = "&gt;";
            break;
        case '"':
            replacement = "&quot;";
            break;
        case '\'':
            replacement = "&#39;";
            break;
        case '\r':
            replacement = "\n";
            length = i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            break;
        case '\n':
            replacement = "\n";
            break;
        default: {
            char32_t code = 0;
            length = NextUtf8CodePoint(text.substr(i), code);
            if (length == 0)
                length = 1, replacement = kReplacement;
            else if (ForbiddenInHtml(code))
                replacement = kReplacement;
        }
        }
        if (replacement.empty()) {
            i += length;
            continue;
        }
        flush(i);
        put(replacement);
        i += length;
        run = i;
    }
    flush(text.size());
}

} // namespace

namespace html {

void AppendEscaped(std::string& out, std::string_view text) {
    EachSafePiece(text, [&out](std::string_view piece) { out += piece; });
}

void AppendLines(std::string& out, std::string_view text) {
    EachSafePiece(text, [&out](std::string_view piece) { out += piece == "\n" ? std::string_view("<br>\n") : piece; });
}

std::string Escaped(std::string_view text) {
    std::string out;
    AppendEscaped(out, text);
    return out;
}

} // namespace html
