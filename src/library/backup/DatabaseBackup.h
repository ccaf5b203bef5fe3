#pragma once

#include "ProgressReporter.h"

#include <cstddef>
#include <filesystem>
#include <vector>

inline constexpr std::size_t kDefaultBackupsKept = 30;

struct BackupResult {
    bool noDatabase = false; // the database file is gone: nothing was done
    // The new backup; or, when the database holds exactly what the newest backup holds, that backup.
    std::filesystem::path file;
    bool duplicate = false; // the database equals the newest backup, which is kept instead of a second copy
    std::vector<std::filesystem::path> removed; // older backups removed so that only the newest `keep` stay
};

// Copies the database, read as every action reads it (committed frames of a pending -wal included, its folder left
// untouched, another program's writes waited for), into folder (created if missing) as one self-contained SQLite
// file in rollback mode, named as BackupFiles.h says: the copy is made under a temporary name with SQLite's online
// backup, checked with PRAGMA quick_check and read as loading reads it, and only then named. Then removes the oldest
// backups in folder beyond the newest keep (at least 1), the one just made or found counting as the newest. Raises
// ESQLiteException when the database cannot be read, is damaged or lacks the reader's tables (in loading's words),
// and EFileError when the folder cannot be written: no backup is kept then, and nothing is left beside it.
BackupResult BackUpDatabase(const std::filesystem::path& database, const std::filesystem::path& folder,
                            std::size_t keep, ProgressReporter& progress);
