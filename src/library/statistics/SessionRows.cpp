#include "ReaderConnection.h"
#include "ReaderTime.h"
#include "StatisticsRows.h"
#include "StoredValues.h"
#include "TSQLiteCursor.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

// A JSON object, or nothing for empty text, text that is no JSON, or JSON that is no object.
std::optional<nlohmann::json> ObjectOf(std::string_view text, bool& unparseable) {
    if (text.empty())
        return std::nullopt;
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (value.is_discarded() || !value.is_object()) {
        unparseable = true;
        return std::nullopt;
    }
    return value;
}

// A whole number of the object; firmware writes numbers, but a number in a string is read too.
std::optional<std::int64_t> WholeNumber(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    if (found == object.end())
        return std::nullopt;
    if (found->is_number_integer())
        return found->get<std::int64_t>();
    if (found->is_number_float())
        return static_cast<std::int64_t>(found->get<double>());
    if (found->is_string())
        return ::WholeNumber<std::int64_t>(found->get_ref<const std::string&>());
    return std::nullopt;
}

std::string TextOf(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

} // namespace

std::vector<ReadingSession> ReadSessionRows(ReaderConnection& reader, SkippedRows& skipped) {
    std::vector<ReadingSession> sessions;
    const ReaderSchema& schema = reader.Schema();
    constexpr std::string_view kTable = "AnalyticsEvents";
    if (!schema.Has(kTable, "Id") || !schema.Has(kTable, "Type") || !schema.Has(kTable, "Timestamp") ||
        !schema.Has(kTable, "Metrics")) {
        ++skipped.databasesWithoutSessions;
        return sessions;
    }
    const bool attributes = schema.Has(kTable, "Attributes");
    const std::string sql = std::string("SELECT Id, Timestamp, Metrics") + (attributes ? ", Attributes" : "") +
                            " FROM AnalyticsEvents" + (reader.AvoidsIndexes() ? " NOT INDEXED" : "") +
                            " WHERE Type = 'LeaveContent'";
    TSQLiteCursor rows(reader.Database(), sql);
    while (rows.Step()) {
        bool unparseable = false;
        const std::optional<nlohmann::json> metrics = ObjectOf(rows.FieldAsText(2), unparseable);
        const std::optional<nlohmann::json> named =
            attributes ? ObjectOf(rows.FieldAsText(3), unparseable) : std::nullopt;
        if (unparseable)
            ++skipped.unparseableJson;
        const std::optional<std::int64_t> seconds = metrics ? WholeNumber(*metrics, "SecondsRead") : std::nullopt;
        if (!seconds || *seconds < 0) {
            if (metrics || !unparseable)
                ++skipped.sessionsWithoutMetrics;
            continue;
        }
        const std::optional<ReaderTime> ended = ParseReaderTime(rows.FieldAsText(1));
        if (!ended) {
            ++skipped.oddDates;
            continue;
        }
        const std::int64_t pages = std::max<std::int64_t>(0, WholeNumber(*metrics, "PagesTurned").value_or(0));
        const std::int64_t idle = std::max<std::int64_t>(0, WholeNumber(*metrics, "IdleTime").value_or(0));
        if (*seconds > kLongestSession || pages > kLongestSession || idle > kLongestSession) {
            ++skipped.oddFigures;
            continue;
        }
        ReadingSession& session = sessions.emplace_back();
        session.id = rows.FieldAsText(0);
        session.ended = *ended;
        session.secondsRead = *seconds;
        session.pagesTurned = pages;
        session.idleTime = idle;
        if (named) {
            session.title = TextOf(*named, "title");
            session.author = TextOf(*named, "author");
            session.bookId = TextOf(*named, "volumeid");
            if (session.bookId.empty())
                session.bookId = TextOf(*named, "isbn");
        }
    }
    return sessions;
}

std::size_t CountEventBlobs(ReaderConnection& reader) {
    if (!reader.Schema().Has("Event", "ExtraData"))
        return 0;
    TSQLiteCursor rows(reader.Database(), "SELECT count(*) FROM Event WHERE length(ExtraData) > 0");
    return rows.Step() ? std::stoul(std::string(rows.FieldAsText(0))) : 0;
}

StatisticsRows ReadStatisticsRows(ReaderConnection& reader) {
    StatisticsRows rows;
    rows.books = ReadBookRows(reader, rows.skipped);
    rows.sessions = ReadSessionRows(reader, rows.skipped);
    rows.highlights = ReadHighlightRows(reader, rows.skipped);
    rows.skipped.undecodedEventBlobs = CountEventBlobs(reader);
    return rows;
}
