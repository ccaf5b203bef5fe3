#include "NoteTag.h"

namespace {

bool KeptInTag(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::string NoteTag(std::string_view name) {
    std::string tag;
    bool dash = false;
    for (const char c : name) {
        if (!KeptInTag(c)) {
            dash = true;
            continue;
        }
        if (dash && !tag.empty())
            tag += '-';
        dash = false;
        tag += c;
    }
    if (!tag.empty() && tag.find_first_not_of("0123456789-") == std::string::npos)
        tag = "_" + tag;
    return tag;
}
