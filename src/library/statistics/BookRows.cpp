#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "ReaderTime.h"
#include "StatisticsRows.h"
#include "StoredValues.h"

namespace {

std::optional<ReaderTime> TimeOf(std::string_view text, SkippedRows& skipped) {
    if (IsEmptyReaderTime(text))
        return std::nullopt;
    const std::optional<ReaderTime> time = ParseReaderTime(text);
    if (!time)
        ++skipped.oddDates;
    return time;
}

enum Column : std::size_t {
    kId,
    kTitle,
    kAuthor,
    kIsbn,
    kTimeSpent,
    kPercent,
    kStatus,
    kLastRead,
    kTimesStarted,
    kLastStarted,
    kLastFinished,
    kRestOfBook,
};

} // namespace

std::vector<BookReading> ReadBookRows(ReaderConnection& reader, SkippedRows& skipped) {
    // Every reading column came with some firmware version; an older database reads without it.
    ReaderQuery rows(reader, "content",
                     {"ContentID", Optional("Title"), Optional("Attribution"), Optional("ISBN"),
                      Optional("TimeSpentReading"), Optional("___PercentRead"), Optional("ReadStatus"),
                      Optional("DateLastRead"), Optional("TimesStartedReading"), Optional("LastTimeStartedReading"),
                      Optional("LastTimeFinishedReading"), Optional("RestOfBookEstimate")},
                     "WHERE ContentType = 6");
    std::vector<BookReading> books;
    while (rows.Step()) {
        BookReading& book = books.emplace_back();
        book.volumeId = rows.Text(kId);
        book.title = rows.Text(kTitle);
        book.author = rows.Text(kAuthor);
        book.isbn = rows.Text(kIsbn);
        book.timeSpentReading = WholeNumber<std::int64_t>(rows.Text(kTimeSpent));
        if (book.timeSpentReading && (*book.timeSpentReading < 0 || *book.timeSpentReading > kLongestReading)) {
            book.timeSpentReading.reset();
            ++skipped.oddFigures;
        }
        book.percentRead = WholeNumber<int>(rows.Text(kPercent));
        book.readStatus = WholeNumber<int>(rows.Text(kStatus));
        book.dateLastRead = TimeOf(rows.Text(kLastRead), skipped);
        book.timesStartedReading = WholeNumber<std::int64_t>(rows.Text(kTimesStarted));
        book.lastTimeStartedReading = TimeOf(rows.Text(kLastStarted), skipped);
        book.lastTimeFinishedReading = TimeOf(rows.Text(kLastFinished), skipped);
        book.restOfBookEstimate = WholeNumber<std::int64_t>(rows.Text(kRestOfBook));
    }
    return books;
}
