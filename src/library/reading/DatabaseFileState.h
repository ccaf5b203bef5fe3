#pragma once

#include <filesystem>
#include <string>

// What a reader database file and its journal files look like from outside: enough to tell whether another program
// changed them between two looks. The whole 100-byte header counts, since a checkpoint of a WAL-mode database may
// change the file without its change counter; mtimes count, though FAT keeps them only to two seconds.
class DatabaseFileState {
public:
    static DatabaseFileState Of(const std::filesystem::path& database);

    // Whether a -wal or -journal file beside the database holds anything: committed frames to replay, a transaction
    // in progress, or one to roll back.
    bool JournalHasContent() const { return !m_wal.empty() || !m_journal.empty(); }
    // Whether SQLite's shared memory file is there: a WAL-mode database that another program may have open.
    bool HasSharedMemory() const { return m_hasShm; }
    // Whether the header names the rollback journal (file format 1), where readers share only locks.
    bool InRollbackMode() const;

    bool operator==(const DatabaseFileState&) const = default;

private:
    std::string m_database; // size, modification time, inode
    std::string m_header;
    std::string m_wal; // the same and the first bytes; empty when the file is missing or empty
    std::string m_journal;
    bool m_hasShm = false;
};
