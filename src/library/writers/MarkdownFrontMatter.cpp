#include "MarkdownFrontMatter.h"

#include "Isbn.h"
#include "RecordTime.h"
#include "Utf8.h"

namespace {

// Appends the code point as \uXXXX (or \UXXXXXXXX).
void AppendYamlEscape(std::string& out, char32_t code) {
    static const char kHex[] = "0123456789ABCDEF";
    const int digits = code > 0xFFFF ? 8 : 4;
    out += digits == 8 ? "\\U" : "\\u";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHex[(code >> shift) & 0xF];
}

// Digits, without leading zeros (YAML 1.1 reads those as octal), with at most one fraction: a number in every YAML
// version.
bool IsPlainNumber(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return digits(whole) && (whole.size() == 1 || whole[0] != '0') &&
           (point == std::string_view::npos || digits(text.substr(point + 1)));
}

class Keys {
public:
    explicit Keys(std::string& out) : m_out(out) {}
    void Text(std::string_view key, std::string_view value) {
        if (!value.empty())
            Line(key, markdown::YamlQuoted(value));
    }
    void Number(std::string_view key, std::string_view value) {
        if (!value.empty())
            Line(key, markdown::YamlNumber(value));
    }
    void Line(std::string_view key, const std::string& value) { m_out.append(key).append(": ").append(value) += '\n'; }

private:
    std::string& m_out;
};

} // namespace

namespace markdown {

std::string FrontMatter(const AnnotatedVolume& volume, std::string_view title, std::string_view exportDate) {
    std::string out = "---\n";
    Keys keys(out);
    keys.Line("title", YamlQuoted(title));
    keys.Line("author", YamlQuoted(volume.author));
    keys.Text("publisher", volume.publisher);
    keys.Text("language", volume.language);
    keys.Text(IsIsbn(volume.isbn) ? "isbn" : "identifier", volume.isbn);
    keys.Text("series", volume.series);
    keys.Number("seriesNumber", volume.seriesNumber);
    keys.Number("progress", volume.percentRead);
    keys.Text("status", ReadStatusName(volume.readStatus));
    keys.Text("lastRead", RecordTime(volume.dateLastRead));
    keys.Number("timeSpentReadingSeconds", volume.timeSpentReading);
    keys.Line("volumeId", YamlQuoted(volume.volumeId));
    keys.Line("storeBook", IsStoreBook(volume) ? "true" : "false");
    keys.Line("date", YamlQuoted(exportDate));
    out += "---\n";
    return out;
}

std::string_view ReadStatusName(std::string_view stored) {
    static constexpr std::string_view kNames[] = {"unread", "reading", "finished"};
    return stored.size() == 1 && stored[0] >= '0' && stored[0] <= '2' ? kNames[stored[0] - '0'] : stored;
}

bool IsStoreBook(std::string_view volumeId) {
    return !volumeId.empty() && !volumeId.starts_with('/') && volumeId.find("://") == std::string_view::npos;
}

bool IsStoreBook(const AnnotatedVolume& volume) {
    const bool fromKobo = volume.sources.empty() || volume.sources.front().kind == SourceKind::ReaderDatabase ||
                          volume.sources.front().kind == SourceKind::Archive;
    return fromKobo && IsStoreBook(volume.volumeId);
}

std::string YamlNumber(std::string_view text) {
    return IsPlainNumber(text) ? std::string(text) : YamlQuoted(text);
}

std::string YamlQuoted(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    while (!text.empty()) {
        char32_t code = 0;
        const std::size_t length = NextUtf8CodePoint(text, code);
        if (length == 0) {
            AppendYamlEscape(out, 0xFFFD);
            text.remove_prefix(1);
            continue;
        }
        if (code == '"' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code == '\n') {
            out += "\\n";
        } else if (code == '\t') {
            out += "\\t";
        } else if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029 ||
                   code == 0xFEFF) {
            AppendYamlEscape(out, code);
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    out += '"';
    return out;
}

} // namespace markdown
