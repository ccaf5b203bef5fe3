#pragma once

#include "ArchivePath.h"
#include "ProgressReporter.h"
#include "TSQLiteDatabase.h"

#include <filesystem>
#include <memory>

// Opens the archive at path, checked: an archive of a newer version is refused untouched, one of an older version is
// upgraded after a copy of it is kept beside it (NAME-schemaN.sqlite), and a damaged one (PRAGMA quick_check, or
// SQLite's own word) is set aside under a new name, unchanged, and refused with a message that says so and how to
// rebuild it. A file that is no archive of this program (another database, a reader's above all) is refused and left
// as it is. The connection is in WAL mode with full syncs. Raises EArchiveError, and ESQLiteException for what SQLite
// meets otherwise.
//
// create: a missing (or empty) file becomes a new archive, made under a name of its own and then given path's; else
// null is returned for it.
std::unique_ptr<TSQLiteDatabase> OpenArchive(const std::filesystem::path& path, bool create,
                                             ProgressReporter& progress);
