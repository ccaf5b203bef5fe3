#include "ReaderTime.h"

#include <charconv>
#include <ctime>

namespace {

// Reads exactly `digits` decimal digits at text[at].
bool Digits(std::string_view text, std::size_t at, std::size_t digits, int& value) {
    if (at + digits > text.size())
        return false;
    for (std::size_t i = at; i < at + digits; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    std::from_chars(text.data() + at, text.data() + at + digits, value);
    return true;
}

bool Separator(std::string_view text, std::size_t at, char c) {
    return at < text.size() && text[at] == c;
}

// The zone after the time, as seconds east of UTC: "Z", "+01:00", "+0100", or nothing.
std::optional<int> ZoneOffset(std::string_view zone) {
    if (zone.empty() || zone == "Z")
        return 0;
    if (zone[0] != '+' && zone[0] != '-')
        return std::nullopt;
    int hours = 0;
    int minutes = 0;
    if (!Digits(zone, 1, 2, hours))
        return std::nullopt;
    const std::size_t minutesAt = Separator(zone, 3, ':') ? 4 : 3;
    if (!Digits(zone, minutesAt, 2, minutes) || minutesAt + 2 != zone.size() || hours > 23 || minutes > 59)
        return std::nullopt;
    const int offset = hours * 3600 + minutes * 60;
    return zone[0] == '-' ? -offset : offset;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Instants whose day, in any time zone, still has four digits for its year: what the statistics' files can name.
constexpr ReaderTime kEarliest = -2208902400; // 1900-01-02T00:00:00Z
constexpr ReaderTime kLatest = 253402214399;  // 9999-12-30T23:59:59Z

} // namespace

bool IsEmptyReaderTime(std::string_view text) {
    return text.empty() || text.starts_with("0000-00-00");
}

std::optional<ReaderTime> ParseReaderTime(std::string_view text) {
    std::tm parts{};
    int year = 0;
    int month = 0;
    int day = 0;
    if (!Digits(text, 0, 4, year) || !Separator(text, 4, '-') || !Digits(text, 5, 2, month) ||
        !Separator(text, 7, '-') || !Digits(text, 8, 2, day) || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return std::nullopt;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::size_t at = 10;
    if (at < text.size()) {
        if ((text[at] != 'T' && text[at] != ' ') || !Digits(text, 11, 2, hour) || !Separator(text, 13, ':') ||
            !Digits(text, 14, 2, minute) || !Separator(text, 16, ':') || !Digits(text, 17, 2, second) || hour > 23 ||
            minute > 59 || second > 60)
            return std::nullopt;
        at = 19;
        if (Separator(text, at, '.')) // fractions of a second are dropped
            for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            }
    }
    const std::optional<int> offset = ZoneOffset(text.substr(at));
    if (!offset)
        return std::nullopt;
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    const ReaderTime time = static_cast<ReaderTime>(timegm(&parts)) - *offset;
    if (time < kEarliest || time > kLatest)
        return std::nullopt;
    return time;
}

namespace {

std::string Formatted(ReaderTime time, const char* format, std::tm* (*split)(const std::time_t*, std::tm*)) {
    const auto seconds = static_cast<std::time_t>(time);
    std::tm parts{};
    split(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, format, &parts);
    return text;
}

} // namespace

std::string FormatUtc(ReaderTime time) {
    return Formatted(time, "%Y-%m-%dT%H:%M:%SZ", gmtime_r);
}

std::string LocalDate(ReaderTime time) {
    return Formatted(time, "%Y-%m-%d", localtime_r);
}
