#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <string>
#include <vector>

// One entry of a Kindle's "My Clippings.txt" as its lines stand between two "==========" lines.
struct RawClipping {
    std::size_t firstLine = 0; // 1-based line number of its first line, for messages
    std::vector<std::string> lines;
    bool holdsNul = false; // NUL bytes: the reader wrote over it, or the file was cut and padded
    bool tooLong = false;  // longer than any clipping: what is left of it was skipped
    bool closed = false;   // a separator line ended it (the last entry of a cut file has none)
};

// Reads the entries one at a time in a buffer of its own, so that a file of any size takes the room of one entry:
// carriage returns before line ends are dropped, and a byte-order mark before an entry is no part of it. A file that
// begins with UTF-16's little-endian byte-order mark (older Kindles write so) is read as UTF-8 all the same.
class ClippingsReader {
public:
    explicit ClippingsReader(std::istream& in) : m_in(in) {}
    // The next entry; false at the end of the file. Entries of blank lines only are skipped.
    bool Next(RawClipping& entry);

private:
    bool NextLine(std::string& line, bool& holdsNul, bool& tooLong);
    bool Fill();
    // The next raw bytes of a UTF-16 file as UTF-8 into the buffer.
    void DecodeUtf16(const unsigned char* bytes, std::size_t count);

    std::istream& m_in;
    std::array<char, 64 * 1024> m_buffer{};
    std::size_t m_at = 0, m_end = 0;
    std::size_t m_lineNumber = 0;
    bool m_started = false;
    bool m_utf16 = false;
    int m_oddByte = -1;           // a unit's first byte, at the end of one reading
    char32_t m_highSurrogate = 0; // the first half of a pair, at the end of one reading
};
