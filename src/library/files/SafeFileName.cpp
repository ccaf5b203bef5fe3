#include "SafeFileName.h"

#include <algorithm>

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

std::string SafeFileName(std::string_view text, std::string_view suffix) {
    const std::size_t room =
        kMostFileNameBytes - kNumberBytes - std::min(suffix.size(), kMostFileNameBytes - kNumberBytes);
    if (text.size() > room) {
        // A UTF-8 character has at most three bytes after its first: text that backs up further is no UTF-8 and is
        // cut where the room ends.
        std::size_t cut = room;
        while (cut > 0 && room - cut < 3 && IsContinuationByte(text[cut]))
            --cut;
        text = text.substr(0, IsContinuationByte(text[cut]) ? room : cut);
    }
    std::string name;
    name.reserve(text.size() + suffix.size() + 1);
    for (const char c : text)
        name += c == '/' || IsControlByte(c) ? '_' : c;
    name += suffix;
    // "." and ".." name folders, and a name of dots alone would lose them in numbering.
    if (name.find_first_not_of('.') == std::string::npos)
        name.insert(0, 1, '_');
    return name;
}

bool IsPlainFileName(std::string_view text) {
    return !text.empty() && text != "." && text != ".." &&
           text.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}
