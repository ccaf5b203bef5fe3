#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <vector>

// A reader's own files that hold highlights but no database (KOReader's sidecars, a Kindle's clippings) are backed up
// as copies in a folder of their own beside the database backups, ReaderFiles-YYYY-MM-DD-HHMMSS (local time), each
// file at its path below the reader's root.

// Files larger than this are not a reader's highlights (a clippings file of many years is a few megabytes).
inline constexpr std::uintmax_t kReaderFileBackupLimit = std::uintmax_t{64} << 20;
inline constexpr std::size_t kReaderFileBackupsKept = 30;

struct ReaderFilesBackupResult {
    // The new backup's folder; or, when the files are those of the newest backup, that backup. Empty when no file was
    // copied.
    std::filesystem::path folder;
    bool duplicate = false;
    std::size_t copied = 0;
    // Left out: larger than the limit, or gone before they could be copied.
    std::vector<std::filesystem::path> tooLarge;
    std::vector<std::filesystem::path> unreadable;
};

// Copies files (each below root) into a new backup folder in backups (created if missing): the copy is made under a
// temporary name and only named once whole. A backup equal to the newest one is not kept twice; beyond the newest
// `keep` backups the oldest are removed. Raises std::filesystem::filesystem_error when the backups folder cannot be
// written: nothing is left behind then.
ReaderFilesBackupResult BackUpReaderFiles(const std::filesystem::path& root,
                                          const std::vector<std::filesystem::path>& files,
                                          const std::filesystem::path& backups, std::time_t made,
                                          std::uintmax_t limit = kReaderFileBackupLimit,
                                          std::size_t keep = kReaderFileBackupsKept);

// The reader files' backups in the folder, oldest first.
std::vector<std::filesystem::path> ListReaderFilesBackups(const std::filesystem::path& backups);
