#include "ArchiveMerge.h"

#include "EArchiveError.h"
#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <unordered_set>
#include <vector>

namespace {

using OptionalTime = std::optional<std::string>;

// Runs one statement that yields no row, its compiled form kept for the next call with the same text.
void Run(TSQLiteDatabase& db, const std::string& sql, const BindValues& values) {
    TSQLiteCursor statement(db, sql, values);
    statement.Step();
}

OptionalTime OptionalText(TSQLiteCursor& rows, std::uint32_t column) {
    if (rows.StoredField(column).kind == TStoredField::Kind::Null)
        return std::nullopt;
    return std::string(rows.FieldAsText(column));
}

BindValue Bound(const OptionalTime& time) {
    return time ? BindValue(*time) : BindValue(nullptr);
}

// Whether what a reader sees of the highlight differs: its text, its note or its colour.
bool SeenDifferently(const std::string& oldColumns, const std::string& newColumns) {
    const auto oldRow = nlohmann::json::parse(oldColumns, nullptr, false);
    const auto newRow = nlohmann::json::parse(newColumns, nullptr, false);
    if (oldRow.is_discarded() || newRow.is_discarded())
        return true;
    for (const char* name : {"Text", "Annotation", "Color"}) {
        const auto a = oldRow.find(name), b = newRow.find(name);
        if ((a == oldRow.end()) != (b == newRow.end()) || (a != oldRow.end() && *a != *b))
            return true;
    }
    return false;
}

struct ArchivedHighlight {
    std::int64_t id = 0;
    std::string versionTime;
    std::string firstSeen;
    OptionalTime lastSeen;
    OptionalTime goneSince;
    OptionalTime changed;

    bool operator==(const ArchivedHighlight&) const = default;
};

// The row's fields after the columns, from column first on: versionTime, firstSeen, lastSeen, goneSince, changed.
ArchivedHighlight ArchivedFrom(TSQLiteCursor& rows, std::int64_t id, std::uint32_t first) {
    return {id,
            std::string(rows.FieldAsText(first)),
            std::string(rows.FieldAsText(first + 1)),
            OptionalText(rows, first + 2),
            OptionalText(rows, first + 3),
            OptionalText(rows, first + 4)};
}

} // namespace

class ArchiveMerge::Work {
public:
    Work(TSQLiteDatabase& db, std::int64_t reader, const std::string& stateTime)
        : m_db(db), m_reader(reader), m_time(stateTime) {
        TSQLiteCursor newest(db, "SELECT MAX(stateTime) FROM databases WHERE reader = ?", {reader});
        if (newest.Step())
            m_previousNewest = OptionalText(newest, 0);
        m_isNewest = !m_previousNewest || m_time >= *m_previousNewest;
        TSQLiteCursor next(db, "SELECT MIN(stateTime) FROM databases WHERE reader = ? AND stateTime > ?",
                           {reader, stateTime});
        if (next.Step())
            m_nextState = OptionalText(next, 0);
        // A reader met for the first time (the first add of all, above all) has nothing to look up or compare.
        TSQLiteCursor highlights(db, "SELECT 1 FROM highlights WHERE reader = ? LIMIT 1", {reader});
        m_newHighlights = !highlights.Step();
        TSQLiteCursor contents(db, "SELECT 1 FROM contents WHERE reader = ? LIMIT 1", {reader});
        m_newContents = !contents.Step();
    }

    void Bookmark(const SnapshotBookmark& bookmark) {
        if (bookmark.bookmarkId.empty() || !m_present.insert(bookmark.bookmarkId).second)
            return;
        if (m_newHighlights) {
            Insert(bookmark);
            return;
        }
        TSQLiteCursor rows(m_db,
                           "SELECT id, columns, versionTime, firstSeen, lastSeen, goneSince, changed FROM highlights "
                           "WHERE reader = ? AND BookmarkID = ?",
                           {m_reader, bookmark.bookmarkId});
        if (!rows.Step()) {
            Insert(bookmark);
            return;
        }
        const ArchivedHighlight archived = ArchivedFrom(rows, rows.StoredField(0).integer, 2);
        Update(archived, rows.FieldAsText(1), bookmark);
    }

    // The highlights of the reader that this state lacks altogether.
    void EndOfBookmarks() {
        if (m_newHighlights)
            return; // every highlight of the reader is one this state holds
        std::vector<ArchivedHighlight> absent;
        {
            TSQLiteCursor rows(m_db,
                               "SELECT id, BookmarkID, versionTime, firstSeen, lastSeen, goneSince, changed "
                               "FROM highlights WHERE reader = ?",
                               {m_reader});
            while (rows.Step())
                if (!m_present.contains(std::string(rows.FieldAsText(1))))
                    absent.push_back(ArchivedFrom(rows, rows.StoredField(0).integer, 2));
        }
        for (const ArchivedHighlight& archived : absent) {
            const std::size_t tally = Tally();
            ArchivedHighlight row = archived;
            if (m_isNewest && !row.goneSince)
                MarkGone(row);
            else if (!m_isNewest && row.goneSince && row.lastSeen && *row.lastSeen<m_time&& * row.goneSince> m_time)
                row.goneSince = m_time; // an older state that already lacked it
            Save(archived, row, nullptr, tally);
        }
    }

    void Content(const SnapshotContent& content) {
        if (m_newContents) {
            // A ContentID met twice in one state (older firmware keys content by more than its ContentID): the later
            // row, as below.
            ::Run(m_db,
                  "INSERT INTO contents (reader, ContentID, BookID, columns, versionTime) VALUES (?, ?, ?, ?, ?) "
                  "ON CONFLICT (reader, ContentID) DO UPDATE SET BookID = excluded.BookID, columns = excluded.columns",
                  {m_reader, content.contentId, content.bookId, content.columns, m_time});
            ++m_counts.otherUpdates;
            return;
        }
        TSQLiteCursor rows(m_db, "SELECT id, columns, versionTime FROM contents WHERE reader = ? AND ContentID = ?",
                           {m_reader, content.contentId});
        if (!rows.Step()) {
            ::Run(m_db, "INSERT INTO contents (reader, ContentID, BookID, columns, versionTime) VALUES (?, ?, ?, ?, ?)",
                  {m_reader, content.contentId, content.bookId, content.columns, m_time});
            ++m_counts.otherUpdates;
        } else if (m_time >= rows.FieldAsText(2) && rows.FieldAsText(1) != content.columns) {
            const std::int64_t id = rows.StoredField(0).integer;
            ::Run(m_db, "UPDATE contents SET BookID = ?, columns = ?, versionTime = ? WHERE id = ?",
                  {content.bookId, content.columns, m_time, id});
            ++m_counts.otherUpdates;
        }
    }

    void Session(const SnapshotSession& session) {
        {
            TSQLiteCursor known(m_db, "SELECT 1 FROM sessions WHERE Id = ?", {session.id});
            if (known.Step())
                return;
        }
        ::Run(m_db, "INSERT INTO sessions (Id, reader, columns, firstSeen) VALUES (?, ?, ?, ?)",
              {session.id, m_reader, session.columns, m_time});
        ++m_counts.newSessions;
    }

    const MergeCounts& Counts() const { return m_counts; }

private:
    void Insert(const SnapshotBookmark& bookmark) {
        ArchivedHighlight row{0, m_time, m_time, std::nullopt, std::nullopt, std::nullopt};
        if (!bookmark.shown)
            row.goneSince = m_time;
        else if (!m_isNewest)
            row.lastSeen = m_time, row.goneSince = m_nextState;
        ::Run(m_db,
              "INSERT INTO highlights (reader, BookmarkID, VolumeID, columns, versionTime, firstSeen, lastSeen, "
              "goneSince) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
              {m_reader, bookmark.bookmarkId, bookmark.volumeId, bookmark.columns, row.versionTime, row.firstSeen,
               Bound(row.lastSeen), Bound(row.goneSince)});
        ++m_counts.newHighlights;
    }

    void Update(const ArchivedHighlight& archived, std::string_view archivedColumns, const SnapshotBookmark& bookmark) {
        const std::size_t tally = Tally();
        ArchivedHighlight row = archived;
        row.firstSeen = std::min(row.firstSeen, m_time);
        const bool newColumns = m_time >= row.versionTime && archivedColumns != bookmark.columns;
        if (newColumns) {
            if (SeenDifferently(std::string(archivedColumns), bookmark.columns)) {
                row.changed = m_time;
                ++m_counts.changedHighlights;
            }
            row.versionTime = m_time;
        }
        const bool gone = row.goneSince.has_value();
        if (m_isNewest && bookmark.shown) {
            if (gone)
                ++m_counts.backHighlights;
            row.lastSeen.reset();
            row.goneSince.reset();
        } else if (m_isNewest && !gone) {
            MarkGone(row);
        } else if (!m_isNewest && gone && bookmark.shown && (!row.lastSeen || *row.lastSeen < m_time)) {
            row.lastSeen = m_time;
            row.goneSince = m_nextState;
        } else if (!m_isNewest && gone && !bookmark.shown && *row.goneSince > m_time &&
                   (!row.lastSeen || *row.lastSeen < m_time)) {
            row.goneSince = m_time;
        }
        Save(archived, row, newColumns ? &bookmark : nullptr, tally);
    }

    // Live until the newest state before this one, which still showed it.
    void MarkGone(ArchivedHighlight& row) {
        row.lastSeen = m_previousNewest;
        row.goneSince = m_time;
        ++m_counts.goneHighlights;
    }

    std::size_t Tally() const {
        return m_counts.changedHighlights + m_counts.goneHighlights + m_counts.backHighlights + m_counts.otherUpdates;
    }

    // Writes row (and the bookmark's columns, where it gives new ones) where it differs from what is archived; a
    // change that no other count took counts as another update.
    void Save(const ArchivedHighlight& archived, const ArchivedHighlight& row, const SnapshotBookmark* bookmark,
              std::size_t tallyBefore) {
        if (row == archived && !bookmark)
            return;
        if (Tally() == tallyBefore)
            ++m_counts.otherUpdates;
        const BindValues dates{row.versionTime, row.firstSeen, Bound(row.lastSeen), Bound(row.goneSince),
                               Bound(row.changed)};
        BindValues values = dates;
        std::string sql = "UPDATE highlights SET versionTime = ?, firstSeen = ?, lastSeen = ?, goneSince = ?, "
                          "changed = ?";
        if (bookmark) {
            sql += ", columns = ?, VolumeID = ?";
            values.emplace_back(bookmark->columns);
            values.emplace_back(bookmark->volumeId);
        }
        values.emplace_back(row.id);
        ::Run(m_db, sql + " WHERE id = ?", values);
    }

    TSQLiteDatabase& m_db;
    std::int64_t m_reader;
    std::string m_time;
    OptionalTime m_previousNewest;
    OptionalTime m_nextState;
    bool m_isNewest = true;
    bool m_newHighlights = false;              // the archive holds no highlight of the reader yet
    bool m_newContents = false;                // nor any content row
    std::unordered_set<std::string> m_present; // the ids of the bookmarks this state holds
    MergeCounts m_counts;
};

MergeCounts& MergeCounts::operator+=(const MergeCounts& other) {
    newHighlights += other.newHighlights;
    changedHighlights += other.changedHighlights;
    goneHighlights += other.goneHighlights;
    backHighlights += other.backHighlights;
    otherUpdates += other.otherUpdates;
    newSessions += other.newSessions;
    return *this;
}

namespace {

// An error of the archive's own database raised while the reader's is read: said as the archive's, and of a type that
// the reading does not take for damage of the reader's database (which it would read again without indexes).
template <class Write> void Writing(Write write) {
    try {
        write();
    } catch (const ESQLiteException& error) {
        throw EArchiveError(std::string("The archive could not be written.\r") + error.what());
    }
}

} // namespace

ArchiveMerge::ArchiveMerge(TSQLiteDatabase& archive, std::int64_t reader, const std::string& stateTime)
    : m_work(std::make_unique<Work>(archive, reader, stateTime)) {}

ArchiveMerge::~ArchiveMerge() = default;

void ArchiveMerge::Bookmark(const SnapshotBookmark& bookmark) {
    Writing([&] { m_work->Bookmark(bookmark); });
}

void ArchiveMerge::EndOfBookmarks() {
    Writing([&] { m_work->EndOfBookmarks(); });
}

void ArchiveMerge::Content(const SnapshotContent& content) {
    Writing([&] { m_work->Content(content); });
}

void ArchiveMerge::Session(const SnapshotSession& session) {
    Writing([&] { m_work->Session(session); });
}

const MergeCounts& ArchiveMerge::Counts() const {
    return m_work->Counts();
}
