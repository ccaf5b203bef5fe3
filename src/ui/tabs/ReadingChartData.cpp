#include "ReadingChartData.h"

#include <QDateTime>

namespace {

constexpr int kWeeks = 52;
constexpr int kMonths = 12;

QDate MondayOf(const QDate& day) {
    return day.addDays(1 - day.dayOfWeek());
}

QDate FirstOfMonth(const QDate& day) {
    return QDate(day.year(), day.month(), 1);
}

// Adds one to the count of the month that holds day, when that month is shown.
void CountInMonth(const QList<QDate>& months, QList<int>& counts, const QDate& day) {
    const qsizetype index = months.indexOf(FirstOfMonth(day));
    if (index >= 0)
        ++counts[index];
}

} // namespace

QDate LocalDay(ReaderTime time) {
    return QDateTime::fromSecsSinceEpoch(time).date();
}

ReadingChartData MakeReadingChartData(const ReadingStatistics& statistics, const QDate& today) {
    ReadingChartData data;
    QDate latest;
    const auto seen = [&latest](const std::optional<ReaderTime>& time) {
        if (time && (!latest.isValid() || LocalDay(*time) > latest))
            latest = LocalDay(*time);
    };
    for (const ReadingSession& session : statistics.sessions) {
        data.secondsPerDay[LocalDay(session.ended)] += session.secondsRead;
        seen(session.ended);
    }
    for (const BookReading& book : statistics.books)
        seen(book.LastRead());
    for (const ReaderTime time : statistics.highlightTimes)
        seen(time);
    data.end = latest.isValid() ? latest : today;

    const QDate lastWeek = MondayOf(data.end);
    for (int i = kWeeks - 1; i >= 0; --i)
        data.weeks.append(lastWeek.addDays(-7 * i));
    data.hoursPerWeek.fill(0.0, kWeeks);
    for (auto day = data.secondsPerDay.constBegin(); day != data.secondsPerDay.constEnd(); ++day) {
        const qint64 week = data.weeks.front().daysTo(MondayOf(day.key())) / 7;
        if (week >= 0 && week < kWeeks)
            data.hoursPerWeek[week] += static_cast<double>(day.value()) / 3600.0;
    }

    const QDate lastMonth = FirstOfMonth(data.end);
    for (int i = kMonths - 1; i >= 0; --i)
        data.months.append(lastMonth.addMonths(-i));
    data.finishedPerMonth.fill(0, kMonths);
    data.highlightsPerMonth.fill(0, kMonths);
    for (const BookReading& book : statistics.books)
        if (const std::optional<ReaderTime> finished = book.Finished())
            CountInMonth(data.months, data.finishedPerMonth, LocalDay(*finished));
    for (const ReaderTime time : statistics.highlightTimes)
        CountInMonth(data.months, data.highlightsPerMonth, LocalDay(time));
    return data;
}
