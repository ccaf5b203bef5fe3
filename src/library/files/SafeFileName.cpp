#include "SafeFileName.h"

#include <algorithm>
#include <array>

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Control bytes and the characters Windows, exFAT or note-taking programs refuse in a name.
bool IsUnsafeByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || std::string_view("/\\:?*\"<>|").find(c) != std::string_view::npos;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether Windows takes the name for a device: its part before the first dot, spaces at its end left out, is one of
// the reserved names.
bool IsReservedOnWindows(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    stem = stem.substr(0, stem.find_last_not_of(' ') + 1);
    std::string upper(stem);
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    if (!(upper.starts_with("COM") || upper.starts_with("LPT")))
        return false;
    const std::string_view number = std::string_view(upper).substr(3);
    static constexpr std::array<std::string_view, 3> kSuperscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
           std::find(kSuperscripts.begin(), kSuperscripts.end(), number) != kSuperscripts.end();
}

} // namespace

std::string SafeFileName(std::string_view text, std::string_view suffix) {
    std::string name;
    name.reserve(text.size() + suffix.size() + 1);
    for (const char c : text)
        name += IsUnsafeByte(c) ? '_' : c;
    if (IsReservedOnWindows(name + std::string(suffix)))
        name.insert(0, 1, '_');
    const std::size_t room =
        kMostFileNameBytes - kNumberBytes - std::min(suffix.size(), kMostFileNameBytes - kNumberBytes);
    if (name.size() > room) {
        // A UTF-8 character has at most three bytes after its first: text that backs up further is no UTF-8 and is
        // cut where the room ends.
        std::size_t cut = room;
        while (cut > 0 && room - cut < 3 && IsContinuationByte(name[cut]))
            --cut;
        name.resize(IsContinuationByte(name[cut]) ? room : cut);
    }
    name += suffix;
    // Windows drops dots and spaces at a name's end, and then names another file.
    for (std::size_t end = name.size(); end > 0 && (name[end - 1] == '.' || name[end - 1] == ' '); --end)
        name[end - 1] = '_';
    // "." and ".." name folders, and a name of dots alone would lose them in numbering.
    if (name.find_first_not_of('.') == std::string::npos)
        name.insert(0, 1, '_');
    return name;
}

bool IsPlainFileName(std::string_view text) {
    return !text.empty() && text != "." && text != ".." &&
           text.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}
