#pragma once

#include <cstdint>

class TSQLiteDatabase;

// The archive's schema, told by PRAGMA user_version; its file by PRAGMA application_id, so that no other database
// (a reader's above all) is ever taken for one and written to.
inline constexpr std::int64_t kArchiveSchemaVersion = 2;
inline constexpr std::int64_t kArchiveApplicationId = 0x4d41524b; // "MARK"

// Makes the tables of the present version in an empty database, inside the caller's transaction.
void CreateArchiveSchema(TSQLiteDatabase& db);

// Brings an archive of an older version (1 <= from < kArchiveSchemaVersion) to the present one, step by step, inside
// the caller's transaction.
void UpgradeArchiveSchema(TSQLiteDatabase& db, std::int64_t from);

// Marks the archive changed, inside the caller's write transaction: its generation goes up by one and gets a new
// random stamp, so that a reading kept of an earlier state (or of a copy of the archive that went another way since)
// is never taken for this one.
void NextArchiveGeneration(TSQLiteDatabase& db);
