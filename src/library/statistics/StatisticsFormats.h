#pragma once

#include "ReadingStatistics.h"

#include <string>

// The statistics as `marvik-cli stats` prints them. Dates of books are UTC instants; days are local days.

// One JSON document, described by docs/reading-statistics.schema.json; facts the database does not know are left out.
std::string StatisticsJson(const ReadingStatistics& statistics);
// RFC 4180 CSV, one table: a row per book, then a row per day, told apart by the first column ("book", "day").
std::string StatisticsCsv(const ReadingStatistics& statistics);
// Two readable tables, books and days, then the totals and what was left out.
std::string StatisticsText(const ReadingStatistics& statistics);

// "unread", "reading", "finished", "other"; empty when the database does not say.
std::string StatusName(const BookReading& book);
// "2h 05m", "4m 20s", "0s"
std::string DurationText(std::int64_t seconds);
