#pragma once

#include "AnnotatedVolume.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

// The parts of a volume made of chapter titles, in the order its bookmarks first meet them. A book with no chapters
// has one part with no name, which the text file heads with nothing.
class ChapterParts {
public:
    explicit ChapterParts(AnnotatedVolume& volume) : m_volume(volume) {}
    std::uint32_t PartFor(const std::string& chapter);

private:
    AnnotatedVolume& m_volume;
    std::unordered_map<std::string, std::uint32_t> m_parts;
};

// An id for a bookmark that its reader gives none: the same every time the same bookmark is read, so that the export
// ledger and the notes know it again. prefix, then 16 hexadecimal digits of a hash of the pieces.
std::string StableBookmarkId(std::string_view prefix, std::initializer_list<std::string_view> pieces);

// A date and time as another reader writes it, in the reader's local time ("2026-02-20 18:08:13" or
// "2026-02-20T18:08:13"), in the form the reader database stores: UTC, "2026-02-20T17:08:13". No file tells the
// reader's time zone: this machine's stands in for it, as the reader is mostly set to its owner's. Anything else as it
// is.
std::string StoredDateTime(std::string_view written);

// An id that the index's "id=value" lists can hold: "=" is written "%3D".
std::string IndexSafeId(std::string_view id);
