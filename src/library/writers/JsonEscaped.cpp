#include "JsonEscaped.h"

#include <array>
#include <cstdio>

void AppendJsonEscaped(std::string& out, std::string_view text) {
    out += '"';
    const auto plain = [](char c) { return c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20; };
    for (std::size_t from = 0; from < text.size();) {
        // A run that needs no escape goes in at once.
        std::size_t end = from;
        while (end < text.size() && plain(text[end]))
            ++end;
        out.append(text, from, end - from);
        if (end == text.size())
            break;
        switch (const char c = text[end]) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            std::array<char, 7> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04x", static_cast<unsigned>(c));
            out += escaped.data();
        }
        }
        from = end + 1;
    }
    out += '"';
}
