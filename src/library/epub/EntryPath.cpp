#include "EntryPath.h"

#include <vector>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string plain;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '%' && k + 2 < text.size()) {
            const int high = HexValue(text[k + 1]), low = HexValue(text[k + 2]);
            if (high >= 0 && low >= 0) {
                plain += static_cast<char>(high * 16 + low);
                k += 2;
                continue;
            }
        }
        plain += text[k];
    }
    return plain;
}

bool HasScheme(std::string_view href) {
    const std::size_t colon = href.find(':');
    return colon != std::string_view::npos && href.find('/') > colon;
}

} // namespace

std::optional<std::string> EntryPath(std::string_view from, std::string_view href) {
    href = href.substr(0, href.find('#'));
    if (href.empty() || HasScheme(href))
        return std::nullopt;
    std::string joined;
    if (!href.starts_with('/')) {
        const std::size_t slash = from.rfind('/');
        if (slash != std::string_view::npos)
            joined = std::string(from.substr(0, slash + 1));
    }
    joined += PercentDecoded(href);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (segments.empty())
                return std::nullopt;
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    if (segments.empty())
        return std::nullopt;
    std::string path;
    for (const std::string& segment : segments)
        path += (path.empty() ? "" : "/") + segment;
    return path;
}
