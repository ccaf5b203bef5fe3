#include "ClippingMeta.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool HoldsAny(std::string_view text, std::initializer_list<std::string_view> words) {
    for (const std::string_view word : words)
        if (text.find(word) != std::string_view::npos)
            return true;
    return false;
}

// The words each language names the kinds with, lower-cased.
ClippingKind KindIn(std::string_view lower) {
    if (HoldsAny(lower, {"highlight", "markierung", "surlignement", "subrayado", "evidenziazione", "destaque",
                         "markering", "\xE3\x83\x8F\xE3\x82\xA4\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x88" /* ハイライト */,
                         "\xE6\xA0\x87\xE6\xB3\xA8" /* 标注 */}))
        return ClippingKind::Highlight;
    if (HoldsAny(lower, {"bookmark", "lesezeichen", "signet", "marcador", "segnalibro", "bladwijzer",
                         "\xE3\x83\x96\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xBC\xE3\x82\xAF" /* ブックマーク */,
                         "\xE4\xB9\xA6\xE7\xAD\xBE" /* 书签 */}))
        return ClippingKind::Bookmark;
    if (HoldsAny(lower, {"note", "notiz", "nota", "notitie", "\xE3\x83\xA1\xE3\x83\xA2" /* メモ */,
                         "\xE7\xAC\x94\xE8\xAE\xB0" /* 笔记 */}))
        return ClippingKind::Note;
    return ClippingKind::Unknown;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::int64_t> NumberAt(std::string_view text, std::size_t& at) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), number);
    if (error != std::errc())
        return std::nullopt;
    at = static_cast<std::size_t>(end - text.data());
    return number;
}

// Older Kindles shorten a range's end to its last digits: "1234-36" is 1234 to 1236.
std::int64_t FullEnd(std::int64_t start, std::int64_t end) {
    if (end >= start)
        return end;
    std::int64_t scale = 1;
    while (scale <= end)
        scale *= 10;
    std::int64_t full = start - start % scale + end;
    if (full < start)
        full += scale;
    return full;
}

// "N" or "N-M" after the first of the words, within a few characters ("位置No. 114", "位置 #708").
void ReadLocation(std::string_view segment, ClippingMeta& meta) {
    for (const std::string_view word :
         {"location", "loc.", "position", "posici\xC3\xB3n", "posizione", "posi\xC3\xA7\xC3\xA3o", "emplacement",
          "locatie", "\xE4\xBD\x8D\xE7\xBD\xAE" /* 位置 */}) {
        std::size_t at = segment.find(word);
        if (at == std::string_view::npos)
            continue;
        at += word.size();
        const std::size_t limit = std::min(segment.size(), at + 8);
        while (at < limit && !IsDigit(segment[at]))
            ++at;
        if (at == limit)
            continue;
        meta.locationStart = NumberAt(segment, at);
        if (meta.locationStart && at + 1 < segment.size() && segment[at] == '-' && IsDigit(segment[at + 1])) {
            ++at;
            if (const std::optional<std::int64_t> end = NumberAt(segment, at))
                meta.locationEnd = FullEnd(*meta.locationStart, *end);
        }
        if (meta.locationStart && !meta.locationEnd)
            meta.locationEnd = meta.locationStart;
        return;
    }
}

void ReadPage(std::string_view segment, ClippingMeta& meta) {
    for (const std::string_view word : {"page", "seite", "p\xC3\xA1gina", "pagina"}) {
        std::size_t at = segment.find(word);
        if (at == std::string_view::npos)
            continue;
        at += word.size();
        while (at < segment.size() && segment[at] == ' ')
            ++at;
        if (at < segment.size() && IsDigit(segment[at])) {
            meta.page = NumberAt(segment, at);
            return;
        }
    }
    // Japanese and Chinese write the number before the word: "12ページ", "第 47 页".
    for (const std::string_view word : {"\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8" /* ページ */, "\xE9\xA1\xB5" /* 页 */}) {
        std::size_t end = segment.find(word);
        if (end == std::string_view::npos)
            continue;
        while (end > 0 && segment[end - 1] == ' ')
            --end;
        std::size_t start = end;
        while (start > 0 && IsDigit(segment[start - 1]))
            --start;
        if (start < end) {
            meta.page = NumberAt(segment, start);
            return;
        }
    }
}

// Each language's months, January first, lower-cased; the short forms older Kindles write.
constexpr std::string_view kMonthNames[][12] = {
    {"january", "february", "march", "april", "may", "june", "july", "august", "september", "october", "november",
     "december"},
    {"januar", "februar", "m\xC3\xA4rz", "april", "mai", "juni", "juli", "august", "september", "oktober", "november",
     "dezember"},
    {"janvier", "f\xC3\xA9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\xC3\xBBt", "septembre", "octobre",
     "novembre", "d\u00E9cembre"},
    {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre", "octubre", "noviembre",
     "diciembre"},
    {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto", "settembre", "ottobre",
     "novembre", "dicembre"},
    {"janeiro", "fevereiro", "mar\xC3\xA7o", "abril", "maio", "junho", "julho", "agosto", "setembro", "outubro",
     "novembro", "dezembro"},
    {"januari", "februari", "maart", "april", "mei", "juni", "juli", "augustus", "september", "oktober", "november",
     "december"},
    {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sept", "oct", "nov", "dec"},
    {"", "", "", "", "", "", "", "", "setiembre", "", "", ""},
};

std::optional<int> MonthNamed(std::string_view word) {
    while (!word.empty() && (word.back() == '.' || word.back() == ','))
        word.remove_suffix(1);
    if (word.empty())
        return std::nullopt;
    for (const auto& language : kMonthNames)
        for (int month = 0; month < 12; ++month)
            if (word == language[month])
                return month + 1;
    return std::nullopt;
}

struct Clock {
    int hour = 0, minute = 0, second = 0;
};

// The time of day: "H:MM" or "H:MM:SS", with AM/PM in English, Chinese or Japanese. Sets where the time starts.
std::optional<Clock> ReadClock(std::string_view text, std::size_t& start) {
    // The first colon between two digits: "Adicionado:" and "作成日:" have one of their own.
    std::size_t colon = text.find(':');
    while (colon != std::string_view::npos &&
           !(colon > 0 && IsDigit(text[colon - 1]) && colon + 1 < text.size() && IsDigit(text[colon + 1])))
        colon = text.find(':', colon + 1);
    if (colon == std::string_view::npos)
        return std::nullopt;
    start = colon;
    while (start > 0 && IsDigit(text[start - 1]))
        --start;
    std::size_t at = start;
    Clock clock;
    const std::optional<std::int64_t> hour = NumberAt(text, at);
    if (!hour || at != colon)
        return std::nullopt;
    ++at;
    const std::optional<std::int64_t> minute = NumberAt(text, at);
    if (!minute)
        return std::nullopt;
    std::optional<std::int64_t> second = 0;
    if (at < text.size() && text[at] == ':') {
        ++at;
        second = NumberAt(text, at);
    }
    clock = {static_cast<int>(*hour), static_cast<int>(*minute), static_cast<int>(second.value_or(0))};
    // AM and PM follow the time; Chinese and Japanese write theirs before it. (German's "am" is no time of day.)
    const std::string_view after = text.substr(start);
    const bool pm = HoldsAny(after, {"pm", "p.m."}) ||
                    HoldsAny(text, {"\xE4\xB8\x8B\xE5\x8D\x88" /* 下午 */, "\xE5\x8D\x88\xE5\xBE\x8C" /* 午後 */});
    const bool am = HoldsAny(after, {"am", "a.m."}) ||
                    HoldsAny(text, {"\xE4\xB8\x8A\xE5\x8D\x88" /* 上午 */, "\xE5\x8D\x88\xE5\x89\x8D" /* 午前 */});
    if (pm && clock.hour < 12)
        clock.hour += 12;
    else if (am && !pm && clock.hour == 12)
        clock.hour = 0;
    if (clock.hour > 23 || clock.minute > 59 || clock.second > 60)
        return std::nullopt;
    return clock;
}

// The day: "2024年12月30日" in Japanese and Chinese, else a month's name with a day and a four-digit year.
bool ReadDay(std::string_view text, int& year, int& month, int& day) {
    const std::string_view yearMark = "\xE5\xB9\xB4", monthMark = "\xE6\x9C\x88", dayMark = "\xE6\x97\xA5";
    if (const std::size_t y = text.find(yearMark); y != std::string_view::npos) {
        std::size_t start = y;
        while (start > 0 && IsDigit(text[start - 1]))
            --start;
        std::size_t at = start;
        const auto parsedYear = NumberAt(text, at);
        at = y + yearMark.size();
        const auto parsedMonth = NumberAt(text, at);
        if (!parsedYear || !parsedMonth || text.substr(at, monthMark.size()) != monthMark)
            return false;
        at += monthMark.size();
        const auto parsedDay = NumberAt(text, at);
        if (!parsedDay || text.substr(at, dayMark.size()) != dayMark)
            return false;
        year = static_cast<int>(*parsedYear), month = static_cast<int>(*parsedMonth),
        day = static_cast<int>(*parsedDay);
        return true;
    }
    year = month = day = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find_first_of(" ,", from);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view word = text.substr(from, end - from);
        from = end + 1;
        if (word.empty())
            continue;
        if (const std::optional<int> named = MonthNamed(word)) {
            month = *named;
            continue;
        }
        if (word.back() == '.')
            word.remove_suffix(1); // "4." in German
        std::size_t at = 0;
        const std::optional<std::int64_t> number = NumberAt(word, at);
        if (!number || at != word.size())
            continue;
        if (word.size() == 4)
            year = static_cast<int>(*number);
        else if (word.size() <= 2 && day == 0)
            day = static_cast<int>(*number);
    }
    return year > 0 && month > 0 && day >= 1 && day <= 31;
}

std::string ReadAdded(std::string_view segment) {
    std::size_t clockStart = segment.size();
    const std::optional<Clock> clock = ReadClock(segment, clockStart);
    int year = 0, month = 0, day = 0;
    if (!ReadDay(segment.substr(0, clockStart), year, month, day))
        return {};
    const Clock time = clock.value_or(Clock{});
    char text[96]; // room for any int, though a date's fields are small
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, time.hour, time.minute,
                  time.second);
    return text;
}

std::vector<std::string_view> Segments(std::string_view line) {
    std::vector<std::string_view> segments;
    const std::string_view wideBar = "\xEF\xBD\x9C"; // ｜
    std::size_t from = 0;
    for (;;) {
        const std::size_t bar = line.find('|', from);
        const std::size_t wide = line.find(wideBar, from);
        const std::size_t end = std::min(bar, wide);
        if (end == std::string_view::npos) {
            segments.push_back(line.substr(from));
            return segments;
        }
        segments.push_back(line.substr(from, end - from));
        from = end + (end == bar ? 1 : wideBar.size());
    }
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

ClippingMeta ReadClippingMeta(std::string_view line) {
    ClippingMeta meta;
    const std::string lower = Lower(line);
    const std::vector<std::string_view> segments = Segments(lower);
    // The last segment is the date; what comes before it names the kind, the page and the location.
    const std::string_view date = segments.size() > 1 ? segments.back() : std::string_view();
    const std::string_view place(lower.data(), segments.size() > 1 ? lower.size() - date.size() : lower.size());
    meta.kind = KindIn(place);
    if (meta.kind == ClippingKind::Unknown)
        return meta;
    ReadLocation(place, meta);
    ReadPage(place, meta);
    meta.added = ReadAdded(date);
    return meta;
}

ClippingTitle ReadClippingTitle(std::string_view line) {
    line = Trimmed(line);
    ClippingTitle title;
    if (!line.empty() && line.back() == ')') {
        int depth = 0;
        for (std::size_t i = line.size(); i-- > 0;) {
            if (line[i] == ')')
                ++depth;
            else if (line[i] == '(' && --depth == 0) {
                title.title = std::string(Trimmed(line.substr(0, i)));
                title.author = std::string(Trimmed(line.substr(i + 1, line.size() - i - 2)));
                if (!title.title.empty())
                    return title;
                break;
            }
        }
    }
    return {std::string(line), {}};
}
