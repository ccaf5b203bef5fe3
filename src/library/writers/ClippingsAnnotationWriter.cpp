#include "ClippingsAnnotationWriter.h"

#include "MarkdownText.h"
#include "RecordTime.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kZeroWidthSpace = "\xE2\x80\x8B";
constexpr std::string_view kSeparator = "==========\r\n";
// A Kindle counts a location about every 150 bytes of the book.
constexpr std::size_t kBytesPerLocation = 150;

// The text with its line breaks as CR LF, runs of ten "=" broken, NUL bytes (which make a reader take the entry for
// damaged) left out, and the white space at its end dropped, as a Kindle ends a clipping's text.
std::string EntryText(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::string out;
    out.reserve(text.size() + 2);
    std::size_t equals = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // Each run of "=" kept to nine at most: "=========" ZWSP "=...".
        equals = c == '=' ? equals + 1 : 0;
        if (equals == 10) {
            out += kZeroWidthSpace;
            equals = 1;
        }
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c != '\0') {
            out += c;
        }
    }
    return out;
}

// A title or an author on one line.
std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text)
        line += c == '\r' || c == '\n' || c == '\t' ? ' ' : c;
    return EntryText(line);
}

// Parentheses that pair up, so that the title line's last pair is the author's; others become brackets.
std::string BalancedAuthor(const std::string& author) {
    int depth = 0;
    for (const char c : author) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth < 0)
            break;
    }
    if (depth == 0)
        return author;
    std::string balanced = author;
    for (char& c : balanced)
        c = c == '(' ? '[' : c == ')' ? ']' : c;
    return balanced;
}

std::string LocationText(std::size_t start, std::size_t end) {
    return start == end ? std::to_string(start) : std::to_string(start) + "-" + std::to_string(end);
}

} // namespace

std::string KindleAddedOn(std::string_view stored) {
    const std::string time = RecordTime(stored); // "2024-11-18T17:45:50.886Z" where the value is a date and time
    if (time.size() != 24 || time.back() != 'Z')
        return {};
    std::tm utc{};
    if (std::sscanf(time.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday, &utc.tm_hour,
                    &utc.tm_min, &utc.tm_sec) != 6)
        return {};
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    const std::time_t moment = timegm(&utc);
    std::tm local{};
    tzset(); // the zone as it is now: localtime_r keeps the one it first found
    if (moment == static_cast<std::time_t>(-1) || !localtime_r(&moment, &local))
        return {};
    // English names whatever the locale: the tools read a Kindle's English.
    static constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                         "Thursday", "Friday", "Saturday"};
    static constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                            "May",       "June",     "July",     "August",
                                                            "September", "October",  "November", "December"};
    const int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char text[96];
    std::snprintf(text, sizeof text, "%s, %s %d, %d %d:%02d:%02d %s", kDays[static_cast<std::size_t>(local.tm_wday)],
                  kMonths[static_cast<std::size_t>(local.tm_mon)], local.tm_mday, local.tm_year + 1900, hour,
                  local.tm_min, local.tm_sec, local.tm_hour < 12 ? "AM" : "PM");
    return text;
}

std::string ClippingsTitleLine(const AnnotatedVolume& volume) {
    const std::string title = OneLine(volume.title.empty() ? BookFileName(volume.volumeId) : volume.title);
    const std::string author = OneLine(BalancedAuthor(volume.author));
    if (!author.empty())
        return title + " (" + author + ")";
    return title.ends_with(')') ? title + " ()" : title;
}

void ClippingsAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes out(sink);
    std::string& bytes = out.Bytes();
    const std::string titleLine = ClippingsTitleLine(volume);
    const auto entry = [&](std::string_view kind, std::size_t start, std::size_t end, const std::string& added,
                           std::string_view text) {
        if (m_setBom)
            bytes += kByteOrderMark;
        bytes += titleLine;
        bytes += "\r\n- Your ";
        bytes += kind;
        bytes += " on Location " + LocationText(start, end) + " | Added on";
        if (!added.empty())
            bytes += " " + added;
        bytes += "\r\n\r\n";
        bytes += EntryText(text);
        bytes += "\r\n";
        bytes += kSeparator;
    };
    std::size_t location = 1;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        if (bookmark.deleted)
            continue;
        out.Checkpoint();
        const std::string added =
            KindleAddedOn(bookmark.dateCreated.empty() ? bookmark.dateModified : bookmark.dateCreated);
        const bool hasText = !markdown::IsBlank(bookmark.text), hasNote = !markdown::IsBlank(bookmark.annotation);
        if (!hasText) {
            // A page bookmark or a drawing marks its place; a note without text stands alone there.
            if (hasNote)
                entry("Note", location, location, added, bookmark.annotation);
            else
                entry("Bookmark", location, location, added, {});
            ++location;
            continue;
        }
        const std::size_t end = location + (bookmark.text.size() - 1) / kBytesPerLocation;
        entry("Highlight", location, end, added, bookmark.text);
        if (hasNote)
            entry("Note", end, end, added, bookmark.annotation);
        location = end + 1;
    }
    out.Finish();
}
