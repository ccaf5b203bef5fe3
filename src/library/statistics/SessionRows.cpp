#include "AsciiCase.h"
#include "ReaderConnection.h"
#include "ReaderTime.h"
#include "StatisticsRows.h"
#include "TSQLiteCursor.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>

namespace {

bool HasColumn(const std::vector<std::string>& columns, std::string_view name) {
    return std::any_of(columns.begin(), columns.end(),
                       [name](const std::string& column) { return SameIgnoringAsciiCase(column, name); });
}

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
    if (found->is_string()) {
        const std::string& text = found->get_ref<const std::string&>();
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!text.empty() && error == std::errc() && end == text.data() + text.size())
            return value;
    }
    return std::nullopt;
}

std::string TextOf(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

} // namespace

std::vector<std::string> TableColumns(ReaderConnection& reader, const std::string& table) {
    std::vector<std::string> names;
    try {
        // A view in a table's place may be an endless query: only a table is read.
        TSQLiteCursor kind(reader.Database(),
                           "SELECT type FROM sqlite_master WHERE name = '" + table + "' COLLATE NOCASE");
        if (!kind.Step() || kind.FieldAsText(0) != "table")
            return names;
        TSQLiteCursor rows(reader.Database(), "PRAGMA table_info(\"" + table + "\")");
        while (rows.Step())
            names.emplace_back(rows.FieldAsText(1)); // cid, name, type, ...
    } catch (const ESQLiteException&) {
        names.clear();
    }
    return names;
}

std::vector<ReadingSession> ReadSessionRows(ReaderConnection& reader, SkippedRows& skipped) {
    std::vector<ReadingSession> sessions;
    const std::vector<std::string> columns = TableColumns(reader, "AnalyticsEvents");
    if (!HasColumn(columns, "Id") || !HasColumn(columns, "Type") || !HasColumn(columns, "Timestamp") ||
        !HasColumn(columns, "Metrics")) {
        ++skipped.databasesWithoutSessions;
        return sessions;
    }
    const bool attributes = HasColumn(columns, "Attributes");
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
    const std::vector<std::string> columns = TableColumns(reader, "Event");
    if (!HasColumn(columns, "ExtraData"))
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
