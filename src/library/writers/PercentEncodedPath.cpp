#include "PercentEncodedPath.h"

std::string PercentEncodedPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~' ||
                          byte == '/';
        if (kept)
            encoded += c;
        else
            encoded += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
    }
    return encoded;
}
