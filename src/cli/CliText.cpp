#include "CliText.h"

#include "Utf8.h"

#include <algorithm>
#include <stdexcept>

std::string WithLineBreaks(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message;
}

std::string OneLineField(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            text[i] = ' ';
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            text.replace(i, 2, " "); // U+0080 to U+009F, the control characters of Latin-1
        }
    }
    return text;
}

std::string AsShown(std::string text) {
    return IsValidUtf8(text) ? OneLineField(std::move(text)) : std::string();
}

void RaiseUnknownVolume(const std::string& volumeId) {
    throw std::runtime_error("not found: " + volumeId);
}
