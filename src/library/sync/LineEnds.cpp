#include "LineEnds.h"

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

std::string ToLf(std::string_view text) {
    std::string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lf += text[i];
    return lf;
}

std::string InLineEnds(std::string_view lfText, bool crlf) {
    if (!crlf)
        return std::string(lfText);
    std::string text;
    text.reserve(lfText.size() + lfText.size() / 16);
    for (std::size_t i = 0; i < lfText.size(); ++i) {
        if (lfText[i] == '\n' && (i == 0 || lfText[i - 1] != '\r'))
            text += '\r';
        text += lfText[i];
    }
    return text;
}

bool UsesCrlf(std::string_view text) {
    const std::size_t end = text.find('\n');
    return end != std::string_view::npos && end > 0 && text[end - 1] == '\r';
}
