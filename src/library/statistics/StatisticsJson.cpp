#include "ReaderTime.h"
#include "StatisticsFormats.h"

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

template <class T> void PutIfKnown(Json& object, const char* name, const std::optional<T>& value) {
    if (value)
        object[name] = *value;
}

void PutTimeIfKnown(Json& object, const char* name, const std::optional<ReaderTime>& time) {
    if (time)
        object[name] = FormatUtc(*time);
}

void PutIfNotEmpty(Json& object, const char* name, const std::string& text) {
    if (!text.empty())
        object[name] = text;
}

Json BookJson(const BookReading& book) {
    Json object;
    object["volumeId"] = book.volumeId;
    PutIfNotEmpty(object, "title", book.title);
    PutIfNotEmpty(object, "author", book.author);
    object["timeReadSeconds"] = book.TimeRead();
    PutIfKnown(object, "timeSpentReadingSeconds", book.timeSpentReading);
    object["sessionSeconds"] = book.sessionSeconds;
    object["sessions"] = book.sessions;
    object["pagesTurned"] = book.pagesTurned;
    PutIfKnown(object, "progress", book.percentRead);
    PutIfNotEmpty(object, "status", StatusName(book));
    PutIfKnown(object, "readStatus", book.readStatus);
    PutTimeIfKnown(object, "firstRead", book.FirstRead());
    PutTimeIfKnown(object, "lastRead", book.LastRead());
    PutTimeIfKnown(object, "finished", book.Finished());
    PutIfKnown(object, "timesStartedReading", book.timesStartedReading);
    PutIfKnown(object, "restOfBookEstimate", book.restOfBookEstimate);
    object["highlights"] = book.highlights;
    return object;
}

Json SkippedJson(const SkippedRows& skipped) {
    return Json{{"sessionsWithoutMetrics", skipped.sessionsWithoutMetrics},
                {"unparseableJson", skipped.unparseableJson},
                {"oddDates", skipped.oddDates},
                {"oddFigures", skipped.oddFigures},
                {"unmatchedSessions", skipped.unmatchedSessions},
                {"repeatedSessions", skipped.repeatedSessions},
                {"databasesWithoutSessions", skipped.databasesWithoutSessions},
                {"unreadableDatabases", skipped.unreadableDatabases},
                {"undecodedEventBlobs", skipped.undecodedEventBlobs}};
}

} // namespace

std::string StatisticsJson(const ReadingStatistics& statistics) {
    Json document;
    document["databases"] = statistics.databases;
    document["books"] = Json::array();
    for (const BookReading& book : statistics.books)
        document["books"].push_back(BookJson(book));
    document["days"] = Json::array();
    for (const DayReading& day : statistics.Days())
        document["days"].push_back(
            {{"date", day.date}, {"secondsRead", day.seconds}, {"sessions", day.sessions}, {"books", day.books}});
    document["skipped"] = SkippedJson(statistics.skipped);
    // Text that is not valid UTF-8 is replaced, not a reason to fail the whole document.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
