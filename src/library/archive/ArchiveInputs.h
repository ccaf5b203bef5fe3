#pragma once

#include "ArchiveAdd.h"

#include <filesystem>

// What a PATH given to an add stands for: a reader database file, at its backup instant where it is named as a backup
// (BackupFiles.h), else at its file's time (its -wal's where that is later); or a folder, whose backups and other
// KoboReader*.sqlite files are added oldest first (nothing else in it is a reader's). Raises std::runtime_error for a
// path that is neither, or a folder without a database.
ArchiveSourceInput ArchiveInputOf(const std::filesystem::path& path);
