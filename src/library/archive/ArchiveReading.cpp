#include "ArchiveReading.h"

#include "ArchiveColumns.h"
#include "ArchiveFile.h"
#include "ArchiveSchema.h"
#include "EArchiveError.h"
#include "EFileError.h"
#include "HexDigits.h"
#include "KeptReading.h"
#include "PrivateFolder.h"
#include "ReaderSnapshot.h"
#include "TSQLiteCursor.h"
#include "TStream.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// The Bookmark columns of current firmware: every reading finds those it needs even where every row held NULL in one
// (a NULL column is left out of the archive's rows). Other columns an archived row names come after them.
constexpr const char* kBookmarkColumns[] = {"BookmarkID",
                                            "VolumeID",
                                            "ContentID",
                                            "StartContainerPath",
                                            "StartContainerChildIndex",
                                            "StartOffset",
                                            "EndContainerPath",
                                            "EndContainerChildIndex",
                                            "EndOffset",
                                            "Text",
                                            "Annotation",
                                            "ExtraAnnotationData",
                                            "DateCreated",
                                            "ChapterProgress",
                                            "Hidden",
                                            "Version",
                                            "DateModified",
                                            "Creator",
                                            "UUID",
                                            "UserID",
                                            "SyncTime",
                                            "Published",
                                            "ContextString",
                                            "Type",
                                            "Color"};
constexpr const char* kSessionColumns[] = {"Id", "Type", "Timestamp", "Metrics", "Attributes"};

// The types the reader declares its columns with: their affinities make its queries compare as they do on the reader
// (ContentType = 6 finds the text '6'). A column not named here has none, and keeps each value as it was stored.
constexpr std::pair<const char*, const char*> kDeclaredTypes[] = {
    {"ContentID", "TEXT"},
    {"ContentType", "TEXT"},
    {"MimeType", "TEXT"},
    {"BookID", "TEXT"},
    {"BookTitle", "TEXT"},
    {"Title", "TEXT COLLATE NOCASE"},
    {"Attribution", "TEXT COLLATE NOCASE"},
    {"Publisher", "TEXT"},
    {"ISBN", "TEXT"},
    {"Language", "TEXT"},
    {"Series", "TEXT"},
    {"SeriesNumber", "TEXT"},
    {"Description", "TEXT"},
    {"___PercentRead", "INTEGER"},
    {"ReadStatus", "INTEGER"},
    {"DateLastRead", "TEXT"},
    {"TimeSpentReading", "INTEGER"},
    {"VolumeIndex", "INTEGER"},
    {"___FileOffset", "INTEGER"},
    {"___FileSize", "INTEGER"},
    {"Depth", "INTEGER"},
    {"ChapterIDBookmarked", "TEXT"},
    {"TimesStartedReading", "INTEGER"},
    {"LastTimeStartedReading", "TEXT"},
    {"LastTimeFinishedReading", "TEXT"},
    {"RestOfBookEstimate", "INTEGER"},
    {"___UserID", "TEXT"},
    {"BookmarkID", "TEXT"},
    {"VolumeID", "TEXT"},
    {"StartContainerPath", "TEXT"},
    {"StartContainerChildIndex", "INTEGER"},
    {"StartOffset", "INTEGER"},
    {"EndContainerPath", "TEXT"},
    {"EndContainerChildIndex", "INTEGER"},
    {"EndOffset", "INTEGER"},
    {"Text", "TEXT"},
    {"Annotation", "TEXT"},
    {"ExtraAnnotationData", "BLOB"},
    {"DateCreated", "TEXT"},
    {"ChapterProgress", "REAL"},
    {"Hidden", "BOOL"},
    {"Version", "TEXT"},
    {"DateModified", "TEXT"},
    {"Creator", "TEXT"},
    {"UUID", "TEXT"},
    {"UserID", "TEXT"},
    {"SyncTime", "TEXT"},
    {"Published", "BIT"},
    {"ContextString", "TEXT"},
    {"Type", "TEXT"},
    {"Id", "TEXT"},
    {"Timestamp", "TEXT"},
    {"Metrics", "TEXT"},
    {"Attributes", "TEXT"},
};

std::string Declared(const std::string& name) {
    for (const auto& [column, type] : kDeclaredTypes)
        if (name == column)
            return name + " " + type;
    return name;
}

// A column name that goes into a statement and a JSON path as it is: the reader's names are all such.
bool PlainName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// The given names, then those the archived rows of table name besides, each once.
std::vector<std::string> ColumnsOf(TSQLiteDatabase& db, const std::string& table, std::vector<std::string> names) {
    TSQLiteCursor rows(db, "SELECT DISTINCT j.key FROM " + table + " AS t, json_each(t.columns) AS j");
    while (rows.Step()) {
        const std::string_view name = rows.FieldAsText(0);
        const bool known = std::any_of(names.begin(), names.end(), [name](const std::string& kept) {
            return sqlite3_stricmp(kept.c_str(), std::string(name).c_str()) == 0;
        });
        if (!known && PlainName(name))
            names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> Names(std::span<const char* const> names) {
    return {names.begin(), names.end()};
}

// A value of an archived row as the reader stored it: a number, a text, or the bytes of {"blob": hex} (a blob) and
// {"bytes": hex} (text that is no UTF-8). blob holds a blob's bytes while the value is bound.
BindValue StoredValue(const nlohmann::json& value, TMemoryStream& blob) {
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_number_float())
        return static_cast<long double>(value.get<double>());
    if (value.is_string())
        return value.get<std::string>();
    for (const char* kind : {"blob", "bytes"}) {
        if (!value.is_object() || !value.contains(kind) || !value[kind].is_string())
            continue;
        const std::string& hex = value[kind].get_ref<const std::string&>();
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(HexDigitValue(hex[i]) * 16 + HexDigitValue(hex[i + 1]));
        if (kind == std::string_view("bytes"))
            return bytes;
        blob = TMemoryStream();
        blob.Append(bytes.data(), bytes.size());
        return static_cast<TObject*>(&blob);
    }
    return nullptr;
}

BindValue FieldValue(TSQLiteCursor& rows, std::uint32_t column) {
    const TStoredField field = rows.StoredField(column);
    switch (field.kind) {
    case TStoredField::Kind::Integer:
        return field.integer;
    case TStoredField::Kind::Text:
        return std::string(field.bytes);
    default:
        return nullptr;
    }
}

// Makes reading.table with the columns, and fills it with the archived rows that rows names (t, its JSON in
// t.columns), each column as the reader stored it, and the extra columns' values that extraValues selects.
void CopyTable(TSQLiteDatabase& db, const std::string& table, const std::vector<std::string>& columns,
               const std::string& key, const std::vector<std::string>& extraColumns, const std::string& extraValues,
               const std::string& rows) {
    std::string create = "CREATE TABLE reading." + table + " (", insert = "INSERT INTO reading." + table + " (",
                placeholders;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const std::string comma = k ? ", " : "";
        create += comma + Declared(columns[k]) + (columns[k] == key ? " PRIMARY KEY" : "");
        insert += comma + columns[k];
        placeholders += comma + "?";
    }
    for (const std::string& extra : extraColumns) {
        create += ", " + extra;
        insert += ", " + extra;
        placeholders += ", ?";
    }
    db.ExecSQL(create + ")");
    insert += ") VALUES (" + placeholders + ")";
    // Each row's JSON is read once, rather than once for each column by SQL's own functions.
    TSQLiteCursor archived(db, "SELECT t.columns" + extraValues + " FROM " + rows);
    BindValues values;
    std::vector<TMemoryStream> blobs(columns.size());
    while (archived.Step()) {
        const nlohmann::json row = nlohmann::json::parse(archived.FieldAsText(0), nullptr, false);
        values.clear();
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const auto found = row.is_object() ? row.find(columns[k]) : row.end();
            values.push_back(found == row.end() ? BindValue(nullptr) : StoredValue(*found, blobs[k]));
        }
        for (std::uint32_t k = 0; k < extraColumns.size(); ++k)
            values.push_back(FieldValue(archived, k + 1));
        TSQLiteCursor(db, insert, values).Step();
    }
}

void WriteReading(TSQLiteDatabase& db, bool liveOnly) {
    // Each bookmark once: a reader whose account changed is two readers holding the same bookmarks; the one a reader
    // still shows, else the latest. In the order the archive first met them, which is the reader's own.
    CopyTable(db, "Bookmark", ColumnsOf(db, "highlights", Names(kBookmarkColumns)), "",
              {kArchiveGoneColumn, kArchiveLastSeenColumn},
              ", CASE WHEN t.goneSince IS NULL THEN NULL ELSE 1 END, CASE WHEN t.goneSince IS NULL THEN "
              "(SELECT MAX(stateTime) FROM databases AS d WHERE d.reader = t.reader) ELSE t.lastSeen END",
              "(SELECT *, row_number() OVER (PARTITION BY BookmarkID ORDER BY goneSince IS NOT NULL, versionTime DESC) "
              "AS n FROM highlights) AS t WHERE t.n = 1" +
                  std::string(liveOnly ? " AND t.goneSince IS NULL" : "") + " ORDER BY t.id");
    // Each content row once, the latest.
    CopyTable(db, "content", Names(ArchivedContentColumns()), "ContentID", {}, "",
              "(SELECT *, row_number() OVER (PARTITION BY ContentID ORDER BY versionTime DESC) AS n FROM contents) "
              "AS t WHERE t.n = 1 ORDER BY t.id");
    CopyTable(db, "AnalyticsEvents", ColumnsOf(db, "sessions", Names(kSessionColumns)), "Id", {}, "",
              "sessions AS t ORDER BY t.firstSeen, t.Id");
    // The reader's own indexes, which the readings' look-ups by book and by part expect.
    db.ExecSQL("CREATE INDEX reading.bookmark_volume ON Bookmark (VolumeID)");
    db.ExecSQL("CREATE INDEX reading.bookmark_content ON Bookmark (ContentID)");
    db.ExecSQL("CREATE INDEX reading.content_bookid_index ON content (BookID)");
}

// The archive's key where it opens as an archive of this version, without the checks an add makes: where a kept
// reading of it is whole, none of its rows is read. Empty where anything is amiss; the full opening then tells what.
std::optional<ArchiveReadingKey> CurrentKey(const std::filesystem::path& archive, bool liveOnly) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(archive, error))
        return std::nullopt;
    try {
        TSQLiteDatabase db(archive.string(), SQLITE_OPEN_READWRITE, archive.string());
        TSQLiteCursor application(db, "PRAGMA application_id");
        TSQLiteCursor version(db, "PRAGMA user_version");
        if (!application.Step() || application.StoredField(0).integer != kArchiveApplicationId || !version.Step() ||
            version.StoredField(0).integer != kArchiveSchemaVersion)
            return std::nullopt;
        db.ExecSQL("BEGIN");
        const ArchiveReadingKey key = ReadArchiveKey(db, archive, liveOnly);
        db.ExecSQL("COMMIT");
        return key;
    } catch (const ESQLiteException&) {
        return std::nullopt;
    }
}

std::string Literal(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

ArchiveReading::ArchiveReading(const std::filesystem::path& archive, bool liveOnly, ProgressReporter& progress,
                               const std::filesystem::path& keptFolder)
    : m_archive(archive) {
    progress.SetStatus("reading the archive");
    if (!keptFolder.empty())
        if (const std::optional<ArchiveReadingKey> key = CurrentKey(archive, liveOnly))
            m_kept = KeptReading::Find(keptFolder, *key);
    if (m_kept) {
        m_path = m_kept->Path();
        progress.SetStatus("");
        return;
    }
    const std::unique_ptr<TSQLiteDatabase> db = OpenArchive(archive, false, progress);
    if (!db)
        throw EArchiveError("archive not found: " + archive.string());
    try {
        Make(*db, liveOnly, keptFolder);
    } catch (const ESQLiteException& error) {
        throw EArchiveError("The archive " + archive.string() + " could not be read.\r" + error.what());
    }
    progress.SetStatus("");
}

void ArchiveReading::Make(TSQLiteDatabase& db, bool liveOnly, const std::filesystem::path& keptFolder) {
    if (!keptFolder.empty()) {
        try {
            m_kept = KeptReading::Start(keptFolder, ArchiveKeyPath(m_archive), liveOnly);
            m_path = m_kept->Path();
        } catch (const EFileError&) {
            // Made for this run alone, as where nothing is kept.
        }
    }
    if (!m_kept) {
        m_folder = std::make_unique<PrivateFolder>();
        m_path = m_folder->Path() / "archive-reading.sqlite";
        // Made here: an attached file is opened as the archive is, which never creates one.
        TSQLiteDatabase(m_path.string()).ExecSQL("PRAGMA user_version = 0");
    }
    db.ExecSQL("ATTACH DATABASE " + Literal(m_path.string()) + " AS reading");
    // A file made again if anything goes wrong, and used only once whole: nothing to journal.
    TSQLiteCursor(db, "PRAGMA reading.journal_mode = OFF").Step();
    db.ExecSQL("PRAGMA reading.synchronous = OFF");
    // Nothing of the archive is written: its pages need no more room than a reading's.
    db.ExecSQL("PRAGMA main.cache_size = -2000");
    db.ExecSQL("BEGIN");
    // The key is read in the transaction that reads the rows: the kept reading is of the state it names.
    const ArchiveReadingKey key = ReadArchiveKey(db, m_archive, liveOnly);
    WriteReading(db, liveOnly);
    if (m_kept)
        WriteReadingKey(db, "reading", key);
    db.ExecSQL("COMMIT");
    db.ExecSQL("DETACH DATABASE reading");
    if (!m_kept)
        return;
    try {
        m_kept->Keep();
        m_path = m_kept->Path();
    } catch (const EFileError&) {
        // Whole all the same: read in this run under the name it was made under, and removed after it.
    }
}

ArchiveReading::~ArchiveReading() = default;
