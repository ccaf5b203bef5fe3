#pragma once

#include "ReadingStatistics.h"

#include <optional>
#include <string>
#include <string_view>

// A date as the reader writes it: "2024-11-13T20:29:51Z", "2024-11-13T23:18:38.000", "2024-11-13 14:30:00.000+00:00",
// or a date alone. A time without zone is UTC, as the reader keeps it. Nothing for text in any other form, for a day
// its month does not have ("2024-02-31"), and for an instant before 1900-01-02 or after 9999-12-30, whose day would
// not have four digits for its year in every time zone.
std::optional<ReaderTime> ParseReaderTime(std::string_view text);

// Whether a date column holds nothing: empty, or the reader's zero date.
bool IsEmptyReaderTime(std::string_view text);

// "2024-11-13T20:29:51Z"
std::string FormatUtc(ReaderTime time);
// The local calendar day, "2024-11-13".
std::string LocalDate(ReaderTime time);
