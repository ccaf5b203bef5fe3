#include "ReaderTime.h"
#include "StatisticsFormats.h"
#include "Utf8.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

namespace {

// A cell of a terminal table: one line, printable text, at most `width` characters (a cut shows as "…"). Text that
// is not valid UTF-8 shows as empty, as everywhere in this program.
std::string Cell(std::string_view text, std::size_t width) {
    if (!IsValidUtf8(text))
        return {};
    std::string cell;
    std::size_t characters = 0;
    while (!text.empty()) {
        char32_t code = 0;
        const std::size_t length = NextUtf8CodePoint(text, code);
        if (characters + 1 == width && text.size() > length) {
            cell += "\xE2\x80\xA6";
            break;
        }
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            cell += ' ';
        else
            cell.append(text.substr(0, length));
        text.remove_prefix(length);
        ++characters;
    }
    return cell;
}

std::size_t CharactersOf(std::string_view text) {
    std::size_t characters = 0;
    for (char32_t code = 0; !text.empty(); ++characters)
        text.remove_prefix(std::max<std::size_t>(1, NextUtf8CodePoint(text, code)));
    return characters;
}

// Columns sized to their widest cell; numbers to the right.
class Table {
public:
    Table(std::vector<std::string> header, std::vector<bool> rightAligned) : m_rightAligned(std::move(rightAligned)) {
        m_rows.push_back(std::move(header));
    }
    void Add(std::vector<std::string> row) { m_rows.push_back(std::move(row)); }

    std::string Render() const {
        std::vector<std::size_t> widths(m_rows.front().size(), 0);
        for (const auto& row : m_rows)
            for (std::size_t k = 0; k < row.size(); ++k)
                widths[k] = std::max(widths[k], CharactersOf(row[k]));
        std::string text;
        for (std::size_t r = 0; r < m_rows.size(); ++r) {
            std::string line;
            for (std::size_t k = 0; k < widths.size(); ++k) {
                const std::string padding(widths[k] - CharactersOf(m_rows[r][k]), ' ');
                if (k > 0)
                    line += "  ";
                line += m_rightAligned[k] ? padding + m_rows[r][k] : m_rows[r][k] + padding;
            }
            line.erase(line.find_last_not_of(' ') + 1);
            text += line + '\n';
            if (r == 0)
                text += std::string(std::accumulate(widths.begin(), widths.end(), 2 * (widths.size() - 1)), '-') + '\n';
        }
        return text;
    }

private:
    std::vector<bool> m_rightAligned;
    std::vector<std::vector<std::string>> m_rows;
};

std::string DateCell(const std::optional<ReaderTime>& time) {
    return time ? LocalDate(*time) : std::string();
}

std::string SkippedText(const SkippedRows& s) {
    const std::array<std::pair<std::size_t, const char*>, 9> reasons{{
        {s.sessionsWithoutMetrics, "sessions without seconds read"},
        {s.unparseableJson, "rows with JSON that does not parse"},
        {s.oddDates, "dates in an unknown form"},
        {s.oddFigures, "figures past any real reading (a session over a day, a total over ten years)"},
        {s.unmatchedSessions, "sessions of no known book (counted in the days only)"},
        {s.repeatedSessions, "sessions found again in another database (counted once)"},
        {s.databasesWithoutSessions, "databases without reading sessions"},
        {s.unreadableDatabases, "backups that could not be read"},
        {s.undecodedEventBlobs, "Event rows with data left undecoded"},
    }};
    std::string text;
    for (const auto& [count, reason] : reasons)
        if (count > 0)
            text += "  " + std::to_string(count) + " " + reason + "\n";
    return text.empty() ? text : "Left out or noted:\n" + text;
}

} // namespace

std::string StatusName(const BookReading& book) {
    if (!book.readStatus)
        return {};
    switch (*book.readStatus) {
    case 0:
        return "unread";
    case 1:
        return "reading";
    case 2:
        return "finished";
    default:
        return "other";
    }
}

std::string DurationText(std::int64_t seconds) {
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds % 3600 / 60;
    const auto two = [](std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    if (hours > 0)
        return std::to_string(hours) + "h " + two(minutes) + "m";
    if (minutes > 0)
        return std::to_string(minutes) + "m " + two(seconds % 60) + "s";
    return std::to_string(seconds) + "s";
}

std::string StatisticsText(const ReadingStatistics& statistics) {
    Table books({"Title", "Author", "Time read", "Sessions", "Pages", "Progress", "Status", "First read", "Last read",
                 "Highlights"},
                {false, false, true, true, true, true, false, false, false, true});
    std::int64_t total = 0;
    for (const BookReading& book : statistics.books) {
        total = AddHeld(total, book.TimeRead());
        books.Add({Cell(book.title, 40), Cell(book.author, 24), DurationText(book.TimeRead()),
                   std::to_string(book.sessions), std::to_string(book.pagesTurned),
                   book.percentRead ? std::to_string(*book.percentRead) + " %" : std::string(), StatusName(book),
                   DateCell(book.FirstRead()), DateCell(book.LastRead()), std::to_string(book.highlights)});
    }
    Table days({"Day", "Time read", "Sessions", "Books"}, {false, true, true, true});
    for (const DayReading& day : statistics.Days())
        days.Add({day.date, DurationText(day.seconds), std::to_string(day.sessions), std::to_string(day.books)});

    std::string text = "Books\n" + books.Render() + "\nDays\n" + days.Render() + "\n";
    text += std::to_string(statistics.books.size()) + " books, " + DurationText(total) + " read, " +
            std::to_string(statistics.sessions.size()) + " sessions, from " + std::to_string(statistics.databases) +
            (statistics.databases == 1 ? " database\n" : " databases\n");
    return text + SkippedText(statistics.skipped);
}
