#include "ArchiveMerge.h"

#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <unordered_map>
#include <unordered_set>

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
    std::string columns;
    std::string versionTime;
    std::string firstSeen;
    OptionalTime lastSeen;
    OptionalTime goneSince;
    OptionalTime changed;

    bool operator==(const ArchivedHighlight&) const = default;
};

class Merge {
public:
    Merge(TSQLiteDatabase& db, std::int64_t reader, const std::string& stateTime)
        : m_db(db), m_reader(reader), m_time(stateTime) {
        TSQLiteCursor newest(db, "SELECT MAX(stateTime) FROM databases WHERE reader = ?", {reader});
        if (newest.Step())
            m_previousNewest = OptionalText(newest, 0);
        m_isNewest = !m_previousNewest || m_time >= *m_previousNewest;
        TSQLiteCursor next(db, "SELECT MIN(stateTime) FROM databases WHERE reader = ? AND stateTime > ?",
                           {reader, stateTime});
        if (next.Step())
            m_nextState = OptionalText(next, 0);
    }

    MergeCounts Run(const ReaderSnapshot& snapshot) {
        LoadHighlights();
        std::unordered_set<std::string_view> present;
        for (const SnapshotBookmark& bookmark : snapshot.bookmarks) {
            if (bookmark.bookmarkId.empty() || !present.insert(bookmark.bookmarkId).second)
                continue;
            const auto archived = m_highlights.find(bookmark.bookmarkId);
            if (archived == m_highlights.end())
                Insert(bookmark);
            else
                Update(archived->second, bookmark);
        }
        for (auto& [id, archived] : m_highlights)
            if (!present.contains(id))
                Absent(archived);
        MergeContents(snapshot);
        MergeSessions(snapshot);
        return m_counts;
    }

private:
    void LoadHighlights() {
        TSQLiteCursor rows(m_db,
                           "SELECT id, BookmarkID, columns, versionTime, firstSeen, lastSeen, goneSince, changed "
                           "FROM highlights WHERE reader = ?",
                           {m_reader});
        while (rows.Step())
            m_highlights.emplace(std::string(rows.FieldAsText(1)),
                                 ArchivedHighlight{rows.StoredField(0).integer, std::string(rows.FieldAsText(2)),
                                                   std::string(rows.FieldAsText(3)), std::string(rows.FieldAsText(4)),
                                                   OptionalText(rows, 5), OptionalText(rows, 6),
                                                   OptionalText(rows, 7)});
    }

    void Insert(const SnapshotBookmark& bookmark) {
        ArchivedHighlight row{0, bookmark.columns, m_time, m_time, std::nullopt, std::nullopt, std::nullopt};
        if (!bookmark.shown)
            row.goneSince = m_time;
        else if (!m_isNewest)
            row.lastSeen = m_time, row.goneSince = m_nextState;
        ::Run(m_db,
              "INSERT INTO highlights (reader, BookmarkID, VolumeID, columns, versionTime, firstSeen, lastSeen, "
              "goneSince) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
              {m_reader, bookmark.bookmarkId, bookmark.volumeId, row.columns, row.versionTime, row.firstSeen,
               Bound(row.lastSeen), Bound(row.goneSince)});
        ++m_counts.newHighlights;
    }

    std::size_t Tally() const {
        return m_counts.changedHighlights + m_counts.goneHighlights + m_counts.backHighlights + m_counts.otherUpdates;
    }

    void Update(ArchivedHighlight& archived, const SnapshotBookmark& bookmark) {
        const std::size_t tally = Tally();
        ArchivedHighlight row = archived;
        row.firstSeen = std::min(row.firstSeen, m_time);
        if (m_time >= row.versionTime && row.columns != bookmark.columns) {
            if (SeenDifferently(row.columns, bookmark.columns)) {
                row.changed = m_time;
                ++m_counts.changedHighlights;
            }
            row.columns = bookmark.columns;
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
        Save(archived, row, bookmark.volumeId, tally);
    }

    // A highlight the archive has that this state lacks altogether.
    void Absent(ArchivedHighlight& archived) {
        const std::size_t tally = Tally();
        ArchivedHighlight row = archived;
        if (m_isNewest && !row.goneSince)
            MarkGone(row);
        else if (!m_isNewest && row.goneSince && row.lastSeen && *row.lastSeen<m_time&& * row.goneSince> m_time)
            row.goneSince = m_time; // an older state that already lacked it
        Save(archived, row, {}, tally);
    }

    // Live until the newest state before this one, which still showed it.
    void MarkGone(ArchivedHighlight& row) {
        row.lastSeen = m_previousNewest;
        row.goneSince = m_time;
        ++m_counts.goneHighlights;
    }

    // Writes row where it differs from what is archived; a change that no other count took counts as another update.
    void Save(ArchivedHighlight& archived, const ArchivedHighlight& row, std::string_view volumeId,
              std::size_t tallyBefore) {
        if (row == archived)
            return;
        if (Tally() == tallyBefore)
            ++m_counts.otherUpdates;
        std::string sql = "UPDATE highlights SET columns = ?, versionTime = ?, firstSeen = ?, lastSeen = ?, "
                          "goneSince = ?, changed = ?";
        BindValues values{row.columns,         row.versionTime,      row.firstSeen,
                          Bound(row.lastSeen), Bound(row.goneSince), Bound(row.changed)};
        if (!volumeId.empty()) {
            sql += ", VolumeID = ?";
            values.emplace_back(std::string(volumeId));
        }
        values.emplace_back(row.id);
        ::Run(m_db, sql + " WHERE id = ?", values);
        archived = row;
    }

    void MergeContents(const ReaderSnapshot& snapshot) {
        struct ArchivedContent {
            std::int64_t id;
            std::string columns;
            std::string versionTime;
        };
        std::unordered_map<std::string, ArchivedContent> contents;
        {
            TSQLiteCursor rows(m_db, "SELECT id, ContentID, columns, versionTime FROM contents WHERE reader = ?",
                               {m_reader});
            while (rows.Step())
                contents.emplace(std::string(rows.FieldAsText(1)),
                                 ArchivedContent{rows.StoredField(0).integer, std::string(rows.FieldAsText(2)),
                                                 std::string(rows.FieldAsText(3))});
        }
        for (const SnapshotContent& content : snapshot.contents) {
            const auto archived = contents.find(content.contentId);
            if (archived == contents.end()) {
                ::Run(m_db,
                      "INSERT INTO contents (reader, ContentID, BookID, columns, versionTime) VALUES (?, ?, ?, ?, ?)",
                      {m_reader, content.contentId, content.bookId, content.columns, m_time});
                contents.emplace(content.contentId, ArchivedContent{0, content.columns, m_time});
                ++m_counts.otherUpdates;
            } else if (m_time >= archived->second.versionTime && archived->second.columns != content.columns &&
                       archived->second.id != 0) {
                ::Run(m_db, "UPDATE contents SET BookID = ?, columns = ?, versionTime = ? WHERE id = ?",
                      {content.bookId, content.columns, m_time, archived->second.id});
                archived->second.columns = content.columns;
                archived->second.versionTime = m_time;
                ++m_counts.otherUpdates;
            }
        }
    }

    void MergeSessions(const ReaderSnapshot& snapshot) {
        std::unordered_set<std::string> known;
        {
            TSQLiteCursor rows(m_db, "SELECT Id FROM sessions");
            while (rows.Step())
                known.emplace(rows.FieldAsText(0));
        }
        for (const SnapshotSession& session : snapshot.sessions)
            if (known.insert(session.id).second) {
                ::Run(m_db, "INSERT INTO sessions (Id, reader, columns, firstSeen) VALUES (?, ?, ?, ?)",
                      {session.id, m_reader, session.columns, m_time});
                ++m_counts.newSessions;
            }
    }

    TSQLiteDatabase& m_db;
    std::int64_t m_reader;
    std::string m_time;
    OptionalTime m_previousNewest;
    OptionalTime m_nextState;
    bool m_isNewest = true;
    std::unordered_map<std::string, ArchivedHighlight> m_highlights;
    MergeCounts m_counts;
};

} // namespace

MergeCounts& MergeCounts::operator+=(const MergeCounts& other) {
    newHighlights += other.newHighlights;
    changedHighlights += other.changedHighlights;
    goneHighlights += other.goneHighlights;
    backHighlights += other.backHighlights;
    otherUpdates += other.otherUpdates;
    newSessions += other.newSessions;
    return *this;
}

MergeCounts MergeSnapshot(TSQLiteDatabase& archive, std::int64_t reader, const std::string& stateTime,
                          const ReaderSnapshot& snapshot) {
    return Merge(archive, reader, stateTime).Run(snapshot);
}
