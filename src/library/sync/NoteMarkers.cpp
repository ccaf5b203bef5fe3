#include "NoteMarkers.h"

#include "FrontMatterValues.h"
#include "HexDigits.h"
#include "LineEnds.h"

#include <openssl/sha.h>

#include <array>

namespace {

constexpr std::string_view kOpening = "<!-- marvik-highlight ";
constexpr std::string_view kClosing = "<!-- /marvik-highlight ";
constexpr std::string_view kCommentEnd = " -->";
constexpr std::string_view kDeleted = "deleted";
constexpr std::string_view kMarkerProperty = "marvik-highlight:: ";

bool NeedsEncoding(char c, std::string_view alsoEncoded) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x7F || c == '%' || c == '>' || alsoEncoded.find(c) != std::string_view::npos;
}

} // namespace

std::string EncodeMarkerWord(std::string_view word, std::string_view alsoEncoded) {
    std::string encoded;
    for (const char c : word)
        encoded += NeedsEncoding(c, alsoEncoded) ? "%" + InHex(std::string_view(&c, 1)) : std::string(1, c);
    return encoded;
}

std::string DecodeMarkerWord(std::string_view encoded) {
    std::string id;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size() && HexDigitValue(encoded[i + 1]) >= 0 &&
            HexDigitValue(encoded[i + 2]) >= 0) {
            id += static_cast<char>(HexDigitValue(encoded[i + 1]) * 16 + HexDigitValue(encoded[i + 2]));
            i += 2;
        } else {
            id += encoded[i];
        }
    }
    return id;
}

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The words between a marker's start and the comment's end, when line is that marker.
std::optional<std::string_view> MarkerWords(std::string_view line, std::string_view start) {
    line = Trimmed(line);
    if (!line.starts_with(start) || !line.ends_with(kCommentEnd) || line.size() < start.size() + kCommentEnd.size())
        return std::nullopt;
    return line.substr(start.size(), line.size() - start.size() - kCommentEnd.size());
}

std::string_view NextWord(std::string_view& words) {
    words = Trimmed(words);
    const std::size_t end = std::min(words.find(' '), words.size());
    const std::string_view word = words.substr(0, end);
    words.remove_prefix(end);
    return word;
}

bool IsHash(std::string_view word) {
    return word.size() == 12 && word.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string DoubleQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            quoted += "\\x" + InHex(std::string_view(&c, 1));
        else
            quoted += c;
    }
    return quoted + '"';
}

} // namespace

std::string BlockHash(std::string_view text) {
    // Most notes keep LF line ends: their blocks are hashed as they stand.
    std::string lf;
    if (text.find('\r') != std::string_view::npos) {
        lf = ToLf(text);
        text = lf;
    }
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data());
    // The first six bytes: enough to tell an edit, short enough for a marker line.
    return InHex({reinterpret_cast<const char*>(digest.data()), 6});
}

std::string OpeningMarker(const BlockMarker& marker) {
    std::string line = std::string(kOpening) + EncodeMarkerWord(marker.bookmarkId) + ' ' + marker.hash;
    if (marker.deleted)
        line += ' ' + std::string(kDeleted);
    return line + std::string(kCommentEnd);
}

std::string ClosingMarker(std::string_view bookmarkId) {
    return std::string(kClosing) + EncodeMarkerWord(bookmarkId) + std::string(kCommentEnd);
}

namespace {

std::optional<BlockMarker> ParseMarkerWords(std::optional<std::string_view> words) {
    if (!words)
        return std::nullopt;
    BlockMarker marker;
    marker.bookmarkId = DecodeMarkerWord(NextWord(*words));
    marker.hash = NextWord(*words);
    const std::string_view flag = NextWord(*words);
    marker.deleted = flag == kDeleted;
    if (marker.bookmarkId.empty() || !IsHash(marker.hash) || !(flag.empty() || marker.deleted) ||
        !Trimmed(*words).empty())
        return std::nullopt;
    return marker;
}

} // namespace

std::optional<BlockMarker> ParseOpeningMarker(std::string_view line) {
    return ParseMarkerWords(MarkerWords(line, kOpening));
}

std::string PropertyMarker(const BlockMarker& marker) {
    return std::string(kMarkerProperty) + EncodeMarkerWord(marker.bookmarkId) + ' ' + marker.hash +
           (marker.deleted ? " " + std::string(kDeleted) : std::string());
}

std::optional<BlockMarker> ParsePropertyMarker(std::string_view line) {
    line = Trimmed(line);
    if (!line.starts_with(kMarkerProperty))
        return std::nullopt;
    return ParseMarkerWords(line.substr(kMarkerProperty.size()));
}

std::string VolumeIdProperty(std::string_view volumeId) {
    return PageProperty(kVolumeIdKey, volumeId);
}

std::optional<std::string> ParseVolumeIdProperty(std::string_view line) {
    return ParsePageProperty(line, kVolumeIdKey);
}

std::string PageProperty(std::string_view key, std::string_view value) {
    return std::string(key) + ":: " + std::string(value);
}

std::optional<std::string> ParsePageProperty(std::string_view line, std::string_view key) {
    if (!line.starts_with(key) || !line.substr(key.size()).starts_with(":: "))
        return std::nullopt;
    return std::string(Trimmed(line.substr(key.size() + 3)));
}

std::string FrontMatterLine(std::string_view key, std::string_view value) {
    return std::string(key) + ": " + DoubleQuoted(value);
}

std::optional<std::string> ParseClosingMarker(std::string_view line) {
    std::optional<std::string_view> words = MarkerWords(line, kClosing);
    if (!words)
        return std::nullopt;
    const std::string_view id = NextWord(*words);
    if (id.empty() || !Trimmed(*words).empty())
        return std::nullopt;
    return DecodeMarkerWord(id);
}

std::string VolumeIdLine(std::string_view volumeId) {
    return std::string(kVolumeIdKey) + ": " + DoubleQuoted(volumeId);
}

std::string ParseVolumeIdValue(std::string_view entry) {
    return EntryScalar(entry).value_or(std::string());
}
