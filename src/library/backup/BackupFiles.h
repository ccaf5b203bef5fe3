#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Backups of a reader's database are named after the local date and time they were made,
// KoboReader-YYYY-MM-DD-HHMMSS.sqlite, and a later one of the same second KoboReader-YYYY-MM-DD-HHMMSS-N.sqlite (N
// from 2 on). Only files so named count as backups; nothing else in their folder is ever touched.
//
// A local name cannot say which of two backups is the newer once the time zone has changed between them, so a backup
// also carries the instant it was made as its modification time, set to the whole second its name shows. That
// instant survives a copy that keeps times (cp -a, rsync -a, tar) and needs no byte of the database changed.

// The name of the variant-th backup made in the second of time (1: the plain name).
std::string BackupFileName(std::time_t time, int variant = 1);

// Records in backup (a file named, or about to be named, BackupFileName(made, ...)) the instant it was made.
// Best effort: without it the backup is ordered by its name.
void MarkBackupMadeAt(const std::filesystem::path& backup, std::time_t made);

// When the backup file (named as above) was made, read as ListBackups orders it; nothing for a file not so named.
std::optional<std::time_t> BackupMadeAt(const std::filesystem::path& file);

// The backups in folder, oldest first: by the instant each was made where its modification time still agrees with
// its name up to a time zone's offset, else by its name read in the present time zone; then by their variant.
std::vector<std::filesystem::path> ListBackups(const std::filesystem::path& folder);
