#include "ClippingsReader.h"

#include <algorithm>
#include <cstring>

namespace {

// No clipping comes near these: a Kindle cuts a highlight's text at a few thousand characters.
constexpr std::size_t kLongestLine = 1024 * 1024;
constexpr std::size_t kLongestEntry = 4 * 1024 * 1024;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsSeparator(std::string_view line) {
    while (line.starts_with(kByteOrderMark))
        line.remove_prefix(kByteOrderMark.size());
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line == "==========";
}

bool IsBlank(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

} // namespace

bool ClippingsReader::Fill() {
    m_in.read(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_at = 0;
    m_end = static_cast<std::size_t>(m_in.gcount());
    return m_end > 0;
}

bool ClippingsReader::NextLine(std::string& line, bool& holdsNul, bool& tooLong) {
    line.clear();
    bool any = false;
    for (;;) {
        if (m_at == m_end && !Fill())
            break;
        any = true;
        const char* from = m_buffer.data() + m_at;
        const auto* newline = static_cast<const char*>(std::memchr(from, '\n', m_end - m_at));
        const std::size_t length = newline ? static_cast<std::size_t>(newline - from) : m_end - m_at;
        if (std::memchr(from, '\0', length))
            holdsNul = true;
        const std::size_t room = kLongestLine > line.size() ? kLongestLine - line.size() : 0;
        if (length > room)
            tooLong = true;
        line.append(from, std::min(length, room));
        m_at += length;
        if (newline) {
            ++m_at;
            break;
        }
    }
    if (!any)
        return false;
    ++m_lineNumber;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool ClippingsReader::Next(RawClipping& entry) {
    entry = RawClipping();
    std::string line;
    std::size_t bytes = 0;
    bool holdsNul = false, tooLong = false;
    while (NextLine(line, holdsNul, tooLong)) {
        if (IsSeparator(line)) {
            if (entry.lines.empty()) {
                // Blank lines and nothing else: no entry to speak of, unless it was damaged.
                if (!holdsNul && !tooLong)
                    continue;
                entry.firstLine = m_lineNumber;
            }
            entry.closed = true;
            entry.holdsNul = holdsNul;
            entry.tooLong = tooLong;
            return true;
        }
        if (entry.lines.empty()) {
            std::string_view first = line;
            while (first.starts_with(kByteOrderMark))
                first.remove_prefix(kByteOrderMark.size());
            line.erase(0, line.size() - first.size());
            if (IsBlank(line) && !holdsNul)
                continue;
            entry.firstLine = m_lineNumber;
        }
        bytes += line.size();
        if (bytes > kLongestEntry) {
            tooLong = true;
            continue;
        }
        entry.lines.push_back(line);
    }
    entry.holdsNul = holdsNul;
    entry.tooLong = tooLong;
    return !entry.lines.empty() || holdsNul || tooLong;
}
