#include "ReadingStatistics.h"

#include "ReaderTime.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

std::int64_t AddHeld(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return sum;
}

std::int64_t BookReading::TimeRead() const {
    return std::max(timeSpentReading.value_or(0), sessionSeconds);
}

std::optional<ReaderTime> BookReading::FirstRead() const {
    return firstSession ? firstSession : lastTimeStartedReading;
}

std::optional<ReaderTime> BookReading::LastRead() const {
    if (dateLastRead && lastSession)
        return std::max(*dateLastRead, *lastSession);
    return dateLastRead ? dateLastRead : lastSession;
}

std::optional<ReaderTime> BookReading::Finished() const {
    if (!IsFinished())
        return std::nullopt;
    return lastTimeFinishedReading ? lastTimeFinishedReading : dateLastRead;
}

std::vector<DayReading> ReadingStatistics::Days() const {
    struct Day {
        DayReading reading;
        std::set<std::string> books;
    };
    std::map<std::string, Day> days;
    for (const ReadingSession& session : sessions) {
        const std::string date = LocalDate(session.ended);
        Day& day = days[date];
        day.reading.date = date;
        day.reading.seconds = AddHeld(day.reading.seconds, session.secondsRead);
        ++day.reading.sessions;
        // An unmatched session's book still counts, by the name it gives.
        day.books.insert(session.volumeId.empty() ? "\x1F" + session.title + '\x1F' + session.author
                                                  : session.volumeId);
    }
    std::vector<DayReading> list;
    list.reserve(days.size());
    for (auto& [date, day] : days) {
        day.reading.books = day.books.size();
        list.push_back(std::move(day.reading));
    }
    return list;
}
