#include "StatisticsReading.h"

#include "BookMatcher.h"
#include "DeadlineStop.h"
#include "ESQLiteException.h"
#include "InterruptScope.h"
#include "ReaderConnection.h"
#include "StatisticsRows.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace {

// The rows of several databases, each thing once: later databases replace what earlier ones said of a book or
// highlight.
class MergedRows {
public:
    void Add(StatisticsRows rows) {
        for (BookReading& book : rows.books) {
            const auto [known, added] = m_bookIndex.try_emplace(book.volumeId, m_books.size());
            if (added)
                m_books.push_back(std::move(book));
            else
                m_books[known->second] = std::move(book);
        }
        for (ReadingSession& session : rows.sessions) {
            if (!session.id.empty() && !m_sessionIds.insert(session.id).second) {
                ++m_skipped.repeatedSessions;
                continue;
            }
            m_sessions.push_back(std::move(session));
        }
        for (HighlightRow& highlight : rows.highlights)
            m_highlights[highlight.bookmarkId] = std::move(highlight);
        const SkippedRows& s = rows.skipped;
        m_skipped.sessionsWithoutMetrics += s.sessionsWithoutMetrics;
        m_skipped.unparseableJson += s.unparseableJson;
        m_skipped.oddDates += s.oddDates;
        m_skipped.oddFigures += s.oddFigures;
        m_skipped.databasesWithoutSessions += s.databasesWithoutSessions;
        m_skipped.undecodedEventBlobs += s.undecodedEventBlobs;
        ++m_databases;
    }

    void CountUnreadable() { ++m_skipped.unreadableDatabases; }

    ReadingStatistics Statistics() &&;

private:
    std::vector<BookReading> m_books;
    std::unordered_map<std::string, std::size_t> m_bookIndex;
    std::vector<ReadingSession> m_sessions;
    std::unordered_set<std::string> m_sessionIds;
    std::map<std::string, HighlightRow> m_highlights;
    SkippedRows m_skipped;
    std::size_t m_databases = 0;
};

bool HasReading(const BookReading& book) {
    return book.readStatus.value_or(0) > 0 || book.timeSpentReading.value_or(0) > 0 ||
           book.percentRead.value_or(0) > 0 || book.sessions > 0 || book.highlights > 0;
}

ReadingStatistics MergedRows::Statistics() && {
    ReadingStatistics statistics;
    statistics.skipped = m_skipped;
    statistics.databases = m_databases;

    const BookMatcher matcher(m_books);
    std::sort(m_sessions.begin(), m_sessions.end(),
              [](const ReadingSession& a, const ReadingSession& b) { return a.ended < b.ended; });
    for (ReadingSession& session : m_sessions) {
        const std::optional<std::size_t> found = matcher.Match(session);
        if (!found) {
            ++statistics.skipped.unmatchedSessions;
            continue;
        }
        BookReading& book = m_books[*found];
        session.volumeId = book.volumeId;
        ++book.sessions;
        book.sessionSeconds = AddHeld(book.sessionSeconds, session.secondsRead);
        book.pagesTurned = AddHeld(book.pagesTurned, session.pagesTurned);
        if (!book.firstSession)
            book.firstSession = session.ended;
        book.lastSession = session.ended;
    }
    for (const auto& [id, highlight] : m_highlights) {
        if (highlight.deleted)
            continue;
        if (const auto book = m_bookIndex.find(highlight.volumeId); book != m_bookIndex.end())
            ++m_books[book->second].highlights;
        if (highlight.created)
            statistics.highlightTimes.push_back(*highlight.created);
    }
    std::sort(statistics.highlightTimes.begin(), statistics.highlightTimes.end());

    for (BookReading& book : m_books)
        if (HasReading(book))
            statistics.books.push_back(std::move(book));
    std::stable_sort(statistics.books.begin(), statistics.books.end(), [](const BookReading& a, const BookReading& b) {
        return a.LastRead().value_or(0) > b.LastRead().value_or(0);
    });
    statistics.sessions = std::move(m_sessions);
    return statistics;
}

// A reading may run more than once (the files changed meanwhile): only the last one counts.
std::optional<StatisticsRows> ReadOne(const std::filesystem::path& file, ProgressReporter& progress) {
    std::optional<StatisticsRows> rows;
    if (!ReadReaderDatabase(file, "the reading statistics", progress,
                            [&rows](ReaderConnection& reader) { rows = ReadStatisticsRows(reader); }))
        return std::nullopt;
    return rows;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

std::optional<ReadingStatistics> ReadReadingStatistics(const std::filesystem::path& database,
                                                       const std::vector<std::filesystem::path>& backups,
                                                       ProgressReporter& progress,
                                                       std::chrono::milliseconds backupBudget) {
    progress.SetStatus("reading statistics");
    progress.StartProgress(backups.size() + 1);
    MergedRows merged;
    for (const std::filesystem::path& backup : backups) {
        // The loaded database may itself lie among the backups: it is read once, as the newest.
        if (!SameFile(backup, database)) {
            const DeadlineStop budget(backupBudget);
            try {
                const InterruptScope stop(budget.Flag());
                SilentProgress quiet;
                if (std::optional<StatisticsRows> rows = ReadOne(backup, quiet))
                    merged.Add(std::move(*rows));
                else
                    merged.CountUnreadable();
            } catch (const ESQLiteException& error) {
                if (!budget.Spent() && error.Code() == SQLITE_INTERRUPT)
                    throw; // a stop asked of the whole reading
                merged.CountUnreadable();
                progress.Warn("backup left out: " + backup.string() + ": " +
                              (budget.Spent() ? "not read within " + std::to_string(backupBudget.count() / 1000) + " s"
                                              : std::string(error.what())));
            } catch (const std::exception& error) {
                merged.CountUnreadable();
                progress.Warn("backup left out: " + backup.string() + ": " + error.what());
            }
        }
        progress.StepProgress();
    }
    std::optional<StatisticsRows> rows = ReadOne(database, progress);
    if (!rows)
        return std::nullopt;
    merged.Add(std::move(*rows));
    progress.StepProgress();
    progress.SetStatus({});
    return std::move(merged).Statistics();
}
