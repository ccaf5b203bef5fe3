#include "ArchiveSchema.h"

#include "TSQLiteDatabase.h"

#include <string>

namespace {

// One row: the archive's state, changed by every add that changes anything (NextArchiveGeneration).
constexpr const char* kGenerationTable = "CREATE TABLE generation (number INTEGER NOT NULL, stamp TEXT NOT NULL)";
constexpr const char* kFirstGeneration = "INSERT INTO generation VALUES (1, lower(hex(randomblob(16))))";

// Times are UTC text (ArchiveTime.h). A row's columns are StoredRowJson of the reader's row.
constexpr const char* kSchema[] = {
    // One e-reader, told by its account (ReaderSnapshot::account); '' for one without.
    "CREATE TABLE readers (id INTEGER PRIMARY KEY, account TEXT NOT NULL UNIQUE)",
    // What was added: a database file or a folder of backups, and when it last brought anything new.
    "CREATE TABLE sources (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, firstAdded TEXT NOT NULL, "
    "lastNew TEXT)",
    // Each database read: one state of one reader at stateTime (a backup's instant, else the file's time), and what
    // its files looked like, so that adding it again is skipped without reading it.
    "CREATE TABLE databases (id INTEGER PRIMARY KEY, source INTEGER NOT NULL REFERENCES sources(id), "
    "reader INTEGER NOT NULL REFERENCES readers(id), path TEXT NOT NULL, stateTime TEXT NOT NULL, "
    "fileSize INTEGER NOT NULL, fileTime TEXT NOT NULL, walSize INTEGER NOT NULL, walTime TEXT NOT NULL, "
    "sha256 TEXT NOT NULL, added TEXT NOT NULL)",
    "CREATE INDEX databases_file ON databases (path, fileSize, fileTime)",
    "CREATE INDEX databases_sha256 ON databases (sha256)",
    "CREATE INDEX databases_reader ON databases (reader, stateTime)",
    // Every bookmark ever seen, its latest version. lastSeen: the last state that showed it, NULL while its reader's
    // newest state shows it (or when none ever did); goneSince: the first state after that which lacks it or hides
    // it, NULL while it is not gone; changed: the state in which its text, note or colour last changed.
    "CREATE TABLE highlights (id INTEGER PRIMARY KEY, reader INTEGER NOT NULL REFERENCES readers(id), "
    "BookmarkID TEXT NOT NULL, VolumeID TEXT NOT NULL, columns TEXT NOT NULL, versionTime TEXT NOT NULL, "
    "firstSeen TEXT NOT NULL, lastSeen TEXT, goneSince TEXT, changed TEXT, UNIQUE (reader, BookmarkID))",
    // The content rows of the books that carry them and of their parts, latest version.
    "CREATE TABLE contents (id INTEGER PRIMARY KEY, reader INTEGER NOT NULL REFERENCES readers(id), "
    "ContentID TEXT NOT NULL, BookID TEXT NOT NULL, columns TEXT NOT NULL, versionTime TEXT NOT NULL, "
    "UNIQUE (reader, ContentID))",
    // Every reading session, once by its Id.
    "CREATE TABLE sessions (Id TEXT NOT NULL PRIMARY KEY, "
    "reader INTEGER NOT NULL REFERENCES readers(id), columns TEXT NOT NULL, firstSeen TEXT NOT NULL)",
    kGenerationTable,
    kFirstGeneration,
};

// The statements that bring version k + 1 to k + 2, each list ending in a null.
constexpr const char* kToVersion2[] = {kGenerationTable, kFirstGeneration, nullptr};
constexpr const char* const* kUpgrades[] = {kToVersion2};

} // namespace

void CreateArchiveSchema(TSQLiteDatabase& db) {
    for (const char* statement : kSchema)
        db.ExecSQL(statement);
    db.ExecSQL("PRAGMA application_id = " + std::to_string(kArchiveApplicationId));
    db.ExecSQL("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion));
}

void UpgradeArchiveSchema(TSQLiteDatabase& db, std::int64_t from) {
    for (std::int64_t version = from; version < kArchiveSchemaVersion; ++version)
        if (const char* const* steps = kUpgrades[version - 1])
            for (; *steps != nullptr; ++steps)
                db.ExecSQL(*steps);
    db.ExecSQL("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion));
}

void NextArchiveGeneration(TSQLiteDatabase& db) {
    db.ExecSQL("UPDATE generation SET number = number + 1, stamp = lower(hex(randomblob(16)))");
}
