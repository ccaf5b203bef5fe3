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
    m_at = 0;
    m_end = 0;
    if (!m_started) {
        // The first two bytes tell UTF-16 (whose byte-order mark is dropped here) from UTF-8.
        m_started = true;
        m_in.read(m_buffer.data(), 2);
        m_end = static_cast<std::size_t>(m_in.gcount());
        m_utf16 = m_end == 2 && m_buffer[0] == '\xFF' && m_buffer[1] == '\xFE';
        if (m_utf16)
            m_end = 0;
    }
    if (!m_utf16) {
        m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(m_buffer.size() - m_end));
        m_end += static_cast<std::size_t>(m_in.gcount());
        return m_end > 0;
    }
    // A quarter of the buffer's room: each unit takes at most three bytes of UTF-8, a pair of them four.
    while (m_end == 0) {
        std::array<char, 16 * 1024> raw{};
        m_in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
        const auto count = static_cast<std::size_t>(m_in.gcount());
        if (count == 0)
            return false;
        DecodeUtf16(reinterpret_cast<const unsigned char*>(raw.data()), count);
    }
    return true;
}

void ClippingsReader::DecodeUtf16(const unsigned char* bytes, std::size_t count) {
    const auto put = [this](char32_t code) {
        char* out = m_buffer.data() + m_end;
        if (code < 0x80) {
            out[0] = static_cast<char>(code);
            m_end += 1;
        } else if (code < 0x800) {
            out[0] = static_cast<char>(0xC0 | (code >> 6));
            out[1] = static_cast<char>(0x80 | (code & 0x3F));
            m_end += 2;
        } else if (code < 0x10000) {
            out[0] = static_cast<char>(0xE0 | (code >> 12));
            out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out[2] = static_cast<char>(0x80 | (code & 0x3F));
            m_end += 3;
        } else {
            out[0] = static_cast<char>(0xF0 | (code >> 18));
            out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out[3] = static_cast<char>(0x80 | (code & 0x3F));
            m_end += 4;
        }
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (m_oddByte < 0) {
            m_oddByte = bytes[i];
            continue;
        }
        const auto unit = static_cast<char32_t>(m_oddByte | (bytes[i] << 8));
        m_oddByte = -1;
        if (m_highSurrogate != 0) {
            const char32_t high = m_highSurrogate;
            m_highSurrogate = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                put(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            put(0xFFFD); // half a pair
        }
        if (unit >= 0xD800 && unit <= 0xDBFF)
            m_highSurrogate = unit;
        else
            put(unit >= 0xDC00 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
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
