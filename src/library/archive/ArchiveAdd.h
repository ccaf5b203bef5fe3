#pragma once

#include "ArchiveMerge.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <string>
#include <vector>

// One reader database to add, with the instant of the reader's state it holds: a backup's instant, else its file's
// modification time (ArchiveTime.h's text).
struct ArchiveDatabaseInput {
    std::filesystem::path file;
    std::string stateTime;
};

// What one PATH given to an add stands for: a database file, or a folder of backups with each database in it, oldest
// first.
struct ArchiveSourceInput {
    std::filesystem::path source; // absolute
    std::vector<ArchiveDatabaseInput> databases;
};

struct ArchiveAddOutcome {
    std::size_t databasesAdded = 0;
    std::size_t databasesKnown = 0; // added before, unchanged: skipped without a write
    MergeCounts counts;
    // Databases that could not be added, each with its reason; the others are added all the same.
    std::vector<std::pair<std::filesystem::path, std::string>> failed;
};

// Adds each database to the archive at archive (OpenArchive, created when missing), each in one transaction of its
// own, while holding the archive folder's lock. A database already added, unchanged (by its size and times, else by
// its SHA-256), is skipped without any write. Raises EArchiveError when the archive cannot be used at all.
ArchiveAddOutcome AddToArchive(const std::filesystem::path& archive, const std::vector<ArchiveSourceInput>& sources,
                               ProgressReporter& progress);
