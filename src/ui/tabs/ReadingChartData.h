#pragma once

#include "ReadingStatistics.h"

#include <QDate>
#include <QList>
#include <QMap>

// What the reading tab's charts show, in local days. The charts end with the latest reading the statistics know
// (else today), so that the history of a database or backup from long ago still shows.
struct ReadingChartData {
    QDate end;
    QList<QDate> weeks; // the Monday of each of the 52 weeks up to end
    QList<double> hoursPerWeek;
    QList<QDate> months; // the first day of each of the 12 months up to end
    QList<int> finishedPerMonth;
    QList<int> highlightsPerMonth;
    QMap<QDate, qint64> secondsPerDay; // each day with reading
};

ReadingChartData MakeReadingChartData(const ReadingStatistics& statistics, const QDate& today);

// The local day of an instant of the reader.
QDate LocalDay(ReaderTime time);
