#include "CsvField.h"
#include "ReaderTime.h"
#include "StatisticsFormats.h"

#include <string_view>

namespace {

constexpr std::string_view kHeader = "record,date,title,author,volume_id,seconds_read,sessions,pages_turned,books,"
                                     "progress,status,first_read,last_read,finished,highlights\r\n";

// Guarded as the export's CSV guards its fields: a title that looks like a formula stays text in a spreadsheet.
void AppendField(std::string& bytes, std::string_view field, bool last = false) {
    AppendCsvField(bytes, field);
    bytes += last ? "\r\n" : ",";
}

std::string TimeField(const std::optional<ReaderTime>& time) {
    return time ? FormatUtc(*time) : std::string();
}

template <class T> std::string NumberField(const std::optional<T>& value) {
    return value ? std::to_string(*value) : std::string();
}

} // namespace

std::string StatisticsCsv(const ReadingStatistics& statistics) {
    std::string bytes(kHeader);
    for (const BookReading& book : statistics.books) {
        AppendField(bytes, "book");
        AppendField(bytes, "");
        AppendField(bytes, book.title);
        AppendField(bytes, book.author);
        AppendField(bytes, book.volumeId);
        AppendField(bytes, std::to_string(book.TimeRead()));
        AppendField(bytes, std::to_string(book.sessions));
        AppendField(bytes, std::to_string(book.pagesTurned));
        AppendField(bytes, "");
        AppendField(bytes, NumberField(book.percentRead));
        AppendField(bytes, StatusName(book));
        AppendField(bytes, TimeField(book.FirstRead()));
        AppendField(bytes, TimeField(book.LastRead()));
        AppendField(bytes, TimeField(book.Finished()));
        AppendField(bytes, std::to_string(book.highlights), true);
    }
    for (const DayReading& day : statistics.Days()) {
        bytes += "day," + day.date + ",,,," + std::to_string(day.seconds) + "," + std::to_string(day.sessions) + ",," +
                 std::to_string(day.books) + ",,,,,,\r\n";
    }
    return bytes;
}
