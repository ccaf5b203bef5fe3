#pragma once

#include <cstdint>

class TSQLiteDatabase;

// The archive's schema, told by PRAGMA user_version; its file by PRAGMA application_id, so that no other database
// (a reader's above all) is ever taken for one and written to.
inline constexpr std::int64_t kArchiveSchemaVersion = 1;
inline constexpr std::int64_t kArchiveApplicationId = 0x4d41524b; // "MARK"

// Makes the tables of the present version in an empty database, inside the caller's transaction.
void CreateArchiveSchema(TSQLiteDatabase& db);

// Brings an archive of an older version (1 <= from < kArchiveSchemaVersion) to the present one, step by step, inside
// the caller's transaction.
void UpgradeArchiveSchema(TSQLiteDatabase& db, std::int64_t from);
