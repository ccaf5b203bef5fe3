#pragma once

#include "DatabasePathKind.h"
#include "ProgressReporter.h"
#include "ReaderSchema.h"
#include "TSQLiteDatabase.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class KeptConnection;
class PrivateFolder;

enum class ReaderAccess {
    Read,  // loading, export, repair: never creates, changes or deletes anything in the database's folder
    Write, // the SQL console, the one writer
    // Reading while another program writes: SQLite's own locks (and a WAL database's shared memory file, which that
    // program has made) are shared as SQLite shares them, within one read transaction.
    ReadSharingLocks,
};

// Whether path names an existing regular file: a folder or a missing file is no database to open.
bool IsReaderDatabaseFile(const std::filesystem::path& path);

// One open reader database and what its tables hold.
class ReaderConnection {
public:
    // Messages name shownPath, the path as the user gave it, where that is not empty. Reading raises ESQLiteException
    // for a file whose Bookmark or content is no table.
    ReaderConnection(const std::filesystem::path& path, ReaderAccess access, bool avoidIndexes,
                     const std::filesystem::path& shownPath = {});
    ~ReaderConnection();

    TSQLiteDatabase& Database() { return *m_database; }
    const ReaderSchema& Schema() const { return m_schema; }
    // The reader's database file, also when a private copy of it is what is read; a reading gives it with its links
    // resolved.
    const std::filesystem::path& Path() const { return m_path; }
    // Tables are read without their indexes: the database is damaged, and an index may be what is.
    bool AvoidsIndexes() const { return m_avoidIndexes; }

private:
    std::unique_ptr<PrivateFolder> m_copy; // outlives the connection to the copy in it
    std::unique_ptr<TSQLiteDatabase> m_database;
    ReaderSchema m_schema;
    bool m_avoidIndexes;
    std::filesystem::path m_path;
};

// The one place that decides how a reader database is opened. Null when path names no existing file: opening it
// would create an empty database there. Errors of the access layer go on to the caller.
std::unique_ptr<ReaderConnection> OpenReaderDatabase(const std::filesystem::path& path, ReaderAccess access,
                                                     bool avoidIndexes = false,
                                                     const std::filesystem::path& shownPath = {});

// The path with every symbolic link resolved, the path itself where that fails (a missing file).
std::filesystem::path ResolvedDatabasePath(const std::filesystem::path& path);

// Runs read on a reading connection and makes sure that what it read is one committed state of the database: when
// another program changed the files meanwhile, read runs again, for a few seconds at most. A database damaged where
// only an index is damaged is read again without indexes, and progress is warned once. Errors of a damaged table
// name what was being read (what, e.g. "the list of books"). False, without calling read, when path names no file.
// With kept, a connection kept from an earlier reading of the same files is read again, and this one is kept. A path
// that is a symbolic link is read as the file it leads to, with the journal files beside that file. Private folders
// that no living process holds are removed first (RemoveStalePrivateFolders).
bool ReadReaderDatabase(const std::filesystem::path& path, const std::string& what, ProgressReporter& progress,
                        const std::function<void(ReaderConnection&)>& read, KeptConnection* kept = nullptr);
