#include "ReaderConnection.h"

#include "DatabaseFileState.h"
#include "EFileError.h"
#include "KeptConnection.h"
#include "PrivateFolder.h"
#include "StaleTemporaryFiles.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {

constexpr auto kChangeRetryTime = std::chrono::seconds(5);
constexpr auto kChangeRetryPause = std::chrono::milliseconds(150);
constexpr int kLockWaitMilliseconds = 5000;
// Readings spoilt by another program's writes before the reading takes SQLite's locks instead.
constexpr int kSettledAttempts = 2;

// A "file:" URI for path: every byte outside the unreserved set percent-encoded, so that "?", "#" and "%" in a name
// stay part of it.
std::string FileUri(const std::filesystem::path& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : std::filesystem::absolute(path).string()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~' || c == '/') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

} // namespace

DatabasePathKind KindOfDatabasePath(const std::filesystem::path& path) {
    using std::filesystem::file_type;
    if (path.empty())
        return DatabasePathKind::NotFound;
    std::error_code error;
    switch (std::filesystem::status(path, error).type()) {
    case file_type::regular:
        return DatabasePathKind::File;
    case file_type::directory:
        return DatabasePathKind::Folder;
    case file_type::fifo:
        return DatabasePathKind::Fifo;
    case file_type::block:
    case file_type::character:
        return DatabasePathKind::Device;
    case file_type::socket:
        return DatabasePathKind::Socket;
    default:
        return DatabasePathKind::NotFound;
    }
}

bool IsReaderDatabaseFile(const std::filesystem::path& path) {
    return KindOfDatabasePath(path) == DatabasePathKind::File;
}

std::filesystem::path ResolvedDatabasePath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved;
}

ReaderConnection::ReaderConnection(const std::filesystem::path& path, ReaderAccess access, bool avoidIndexes,
                                   const std::filesystem::path& shownPath)
    : m_avoidIndexes(avoidIndexes), m_path(path) {
    const std::string shown = (shownPath.empty() ? path : shownPath).string();
    // A reading connection is used by one thread at a time (KeptConnection hands it over whole): SQLite need not lock
    // its own mutex at every call.
    constexpr int kReading = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (access == ReaderAccess::Write) {
        m_database = std::make_unique<TSQLiteDatabase>(FileUri(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, shown);
    } else if (access == ReaderAccess::ReadSharingLocks) {
        m_database = std::make_unique<TSQLiteDatabase>(FileUri(path) + "?mode=ro", kReading, shown);
        m_database->SetBusyTimeout(kLockWaitMilliseconds);
        // Every query of the action then reads the same committed state.
        m_database->ExecSQL("BEGIN");
    } else if (!DatabaseFileState::Of(path).JournalHasContent()) {
        // Nothing beside the file needs replaying, so the file alone is the committed state: an immutable open
        // reads it without locks and without looking for, creating or deleting any file beside it.
        m_database = std::make_unique<TSQLiteDatabase>(FileUri(path) + "?immutable=1", kReading, shown);
    } else {
        // Committed frames in a -wal, or a transaction to roll back: SQLite would write the database to settle
        // them. A private copy of the file and its journal is settled instead, in a folder of the user's own.
        m_copy = std::make_unique<PrivateFolder>();
        const std::string name = path.filename().string();
        const std::filesystem::path copy = CopyInto(path, m_copy->Path(), name);
        for (const char* journal : {"-wal", "-journal"})
            if (std::filesystem::path beside = path.string() + journal; IsReaderDatabaseFile(beside))
                CopyInto(beside, m_copy->Path(), name + journal);
        m_database =
            std::make_unique<TSQLiteDatabase>(copy.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, shown);
    }
    m_schema = ReaderSchema::Probe(*m_database);
    // A reading checks the tables before it queries them: a view in a table's place may never end.
    if (access != ReaderAccess::Write && !m_schema.NotATable().empty())
        throw ESQLiteException("The file is not a reader database: it lacks the reader's Bookmark and content "
                               "tables.\rno such table: " +
                                   m_schema.NotATable(),
                               SQLITE_ERROR);
}

ReaderConnection::~ReaderConnection() {
    m_database.reset(); // before its private copy goes
}

std::unique_ptr<ReaderConnection> OpenReaderDatabase(const std::filesystem::path& path, ReaderAccess access,
                                                     bool avoidIndexes, const std::filesystem::path& shownPath) {
    if (!IsReaderDatabaseFile(path))
        return nullptr;
    return std::make_unique<ReaderConnection>(path, access, avoidIndexes, shownPath);
}

bool ReadReaderDatabase(const std::filesystem::path& givenPath, const std::string& what, ProgressReporter& progress,
                        const std::function<void(ReaderConnection&)>& read, KeptConnection* kept) {
    RemoveStalePrivateFolders();
    // A -wal or journal lies beside the database file itself, not beside a link to it: every look, copy and open of
    // this reading goes to the one file the path names now. Messages keep the path as given.
    const std::filesystem::path path = ResolvedDatabasePath(givenPath);
    const auto deadline = std::chrono::steady_clock::now() + kChangeRetryTime;
    bool avoidIndexes = false;
    bool mayShareLocks = true;
    bool lastChance = false; // the deadline is near or past: the next attempt shares locks where it can
    for (int attempt = 1;; ++attempt) {
        const auto started = std::chrono::steady_clock::now();
        const DatabaseFileState before = DatabaseFileState::Of(path);
        // A program that keeps writing spoils every reading of the files as they are; its locks are then shared,
        // where that needs no new file: always in rollback mode, in WAL mode once it has made its shared memory.
        const bool canShareLocks = mayShareLocks && (before.InRollbackMode() || before.HasSharedMemory());
        const bool sharingLocks = canShareLocks && (attempt > kSettledAttempts || lastChance);
        std::unique_ptr<ReaderConnection> reader;
        try {
            // A connection that shares locks holds its read transaction open: it is never kept.
            if (kept && !sharingLocks && IsReaderDatabaseFile(path))
                reader = kept->Take(path, before, avoidIndexes);
            if (!reader)
                reader = OpenReaderDatabase(path, sharingLocks ? ReaderAccess::ReadSharingLocks : ReaderAccess::Read,
                                            avoidIndexes, givenPath);
            if (!reader)
                return false;
            read(*reader);
            if (sharingLocks || DatabaseFileState::Of(path) == before) {
                if (avoidIndexes)
                    progress.Warn("The database file is damaged; what was read may be incomplete.");
                if (kept && !sharingLocks)
                    kept->Keep(std::move(reader), before);
                return true;
            }
        } catch (const ESQLiteException& error) {
            // A journal left by a program that died needs a rollback that a reader sharing locks may not make.
            if (sharingLocks && reader && error.IsReadOnly()) {
                mayShareLocks = false;
                continue;
            }
            if (sharingLocks || DatabaseFileState::Of(path) == before) {
                if (!reader || !error.IsCorrupt())
                    throw;
                if (avoidIndexes)
                    throw ESQLiteException("The database file is damaged: " + what + " could not be read.\r" +
                                               error.what(),
                                           error.Code(), error.ExtendedCode());
                // Most damage is in an index; the tables themselves may still read whole.
                avoidIndexes = true;
                continue;
            }
        } catch (const EFileError&) {
            // A journal that a writer removed between the look and the private copy: the files changed meanwhile.
            if (sharingLocks || DatabaseFileState::Of(path) == before)
                throw;
        }
        // Another program changed the database while it was read: what was read may mix two states. A large library
        // may spend the whole time on readings of the files as they are; sharing the locks is tried before giving up.
        const auto now = std::chrono::steady_clock::now();
        if (now > deadline && (sharingLocks || !canShareLocks))
            throw ESQLiteException("The database file was changed by another program while " + what +
                                   " was read. Try again when that program is done.");
        lastChance = now + (now - started) + kChangeRetryPause > deadline;
        if (!lastChance)
            std::this_thread::sleep_for(kChangeRetryPause);
    }
}
