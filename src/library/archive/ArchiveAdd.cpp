#include "ArchiveAdd.h"

#include "ArchiveFile.h"
#include "ArchiveLock.h"
#include "ArchiveSchema.h"
#include "ArchiveTime.h"
#include "DatabaseFiles.h"
#include "EArchiveError.h"
#include "ReaderConnection.h"
#include "ReaderSnapshot.h"
#include "TSQLiteCursor.h"

#include <chrono>
#include <future>

namespace {

// A write transaction that is rolled back unless committed: a failed add leaves the archive as it was.
class WriteTransaction {
public:
    explicit WriteTransaction(TSQLiteDatabase& db) : m_db(db) { m_db.ExecSQL("BEGIN IMMEDIATE"); }
    ~WriteTransaction() {
        if (!m_committed) {
            try {
                m_db.ExecSQL("ROLLBACK");
            } catch (const ESQLiteException&) {
                // SQLite rolled it back itself (a full disk, an I/O error).
            }
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit() {
        m_db.ExecSQL("COMMIT");
        m_committed = true;
    }

private:
    TSQLiteDatabase& m_db;
    bool m_committed = false;
};

bool Known(TSQLiteDatabase& db, const std::string& sql, const BindValues& values) {
    TSQLiteCursor rows(db, sql, values);
    return rows.Step();
}

// The id of the row whose key column holds key, made with the extra columns where there is none.
std::int64_t IdOf(TSQLiteDatabase& db, const std::string& table, const std::string& keyColumn, const std::string& key,
                  const std::string& insertSql, const BindValues& insertValues) {
    {
        TSQLiteCursor rows(db, "SELECT id FROM " + table + " WHERE " + keyColumn + " = ?", {key});
        if (rows.Step())
            return rows.StoredField(0).integer;
    }
    db.ExecSQL(insertSql, insertValues);
    TSQLiteCursor rows(db, "SELECT last_insert_rowid()");
    rows.Step();
    return rows.StoredField(0).integer;
}

// One database into the archive; counts what it brought into outcome.
void AddDatabase(TSQLiteDatabase& db, const std::filesystem::path& source, const ArchiveDatabaseInput& input,
                 ArchiveAddOutcome& outcome, ProgressReporter& progress) {
    if (!IsReaderDatabaseFile(input.file))
        throw std::runtime_error("database file not found");
    const DatabaseFiles files = DatabaseFiles::Of(input.file);
    if (Known(db,
              "SELECT 1 FROM databases WHERE path = ? AND fileSize = ? AND fileTime = ? AND walSize = ? AND "
              "walTime = ?",
              {files.path.string(), files.fileSize, files.fileTime, files.walSize, files.walTime})) {
        ++outcome.databasesKnown;
        return;
    }
    // Only a database of a size the archive knows can be a copy of one added before under another name: its digest is
    // looked up before it is read. Any other's is made on the second core while it is read and merged.
    std::string digest;
    std::future<std::string> digestMeanwhile;
    if (Known(db, "SELECT 1 FROM databases WHERE fileSize = ? AND walSize = ?", {files.fileSize, files.walSize})) {
        digest = files.Sha256();
        if (Known(db, "SELECT 1 FROM databases WHERE sha256 = ?", {digest})) {
            ++outcome.databasesKnown;
            return;
        }
    } else {
        digestMeanwhile = std::async(std::launch::async, [&files] { return files.Sha256(); });
    }

    // Rows are merged as they are read, inside the add's transaction; a reading that starts again (another program
    // wrote meanwhile, or an index is damaged) first undoes what the attempt before it merged.
    const std::string now = ArchiveTimeText(std::chrono::system_clock::now());
    WriteTransaction transaction(db);
    std::int64_t sourceId = 0, reader = 0;
    MergeCounts counts;
    bool attempted = false;
    const bool read =
        ReadReaderDatabase(input.file, "the database for the archive", progress, [&](ReaderConnection& connection) {
            const std::string account = ReadReaderAccount(connection);
            std::unique_ptr<ArchiveMerge> merge;
            try {
                db.ExecSQL(attempted ? "ROLLBACK TO reading" : "SAVEPOINT reading");
                attempted = true;
                reader = IdOf(db, "readers", "account", account, "INSERT INTO readers (account) VALUES (?)", {account});
                sourceId = IdOf(db, "sources", "path", source.string(),
                                "INSERT INTO sources (path, firstAdded) VALUES (?, ?)", {source.string(), now});
                merge = std::make_unique<ArchiveMerge>(db, reader, input.stateTime);
            } catch (const ESQLiteException& error) {
                throw EArchiveError(std::string("The archive could not be written.\r") + error.what());
            }
            ReadReaderSnapshot(connection, *merge);
            counts = merge->Counts();
        });
    if (!read)
        throw std::runtime_error("database file not found");
    if (digestMeanwhile.valid())
        digest = digestMeanwhile.get();
    db.ExecSQL("INSERT INTO databases (source, reader, path, stateTime, fileSize, fileTime, walSize, walTime, sha256, "
               "added) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               {sourceId, reader, files.path.string(), input.stateTime, files.fileSize, files.fileTime, files.walSize,
                files.walTime, digest, now});
    if (counts.AnythingNew())
        db.ExecSQL("UPDATE sources SET lastNew = ? WHERE id = ?", {now, sourceId});
    // Every add that writes counts, also one that brought nothing new: its database's state time was written.
    NextArchiveGeneration(db);
    transaction.Commit();
    ++outcome.databasesAdded;
    outcome.counts += counts;
}

// Sets the journal mode where the archive lets it (no other connection has it open); where it does not, it stays.
void TryJournalMode(TSQLiteDatabase& db, const char* mode) {
    try {
        TSQLiteCursor(db, std::string("PRAGMA journal_mode = ") + mode).Step();
    } catch (const ESQLiteException&) {
        // Busy: another program reads the archive, and the mode stays what it was.
    }
}

} // namespace

ArchiveAddOutcome AddToArchive(const std::filesystem::path& archive, const std::vector<ArchiveSourceInput>& sources,
                               ProgressReporter& progress) {
    std::error_code error;
    std::filesystem::create_directories(archive.parent_path(), error);
    const ArchiveLock lock(archive.parent_path().empty() ? "." : archive.parent_path(), progress);
    const std::unique_ptr<TSQLiteDatabase> db = OpenArchive(archive, true, progress);
    ArchiveAddOutcome outcome;
    progress.SetStatus("adding to the archive");
    for (const ArchiveSourceInput& source : sources)
        for (const ArchiveDatabaseInput& input : source.databases) {
            // The first database of an archive is written in place, under a rollback journal that holds next to
            // nothing for pages that were not there before, rather than into the WAL and then copied into the file:
            // the largest add writes its pages once. Nobody reads an archive without a database meanwhile (and one
            // that does keeps it in WAL mode).
            const bool first = !Known(*db, "SELECT 1 FROM databases LIMIT 1", {});
            if (first)
                TryJournalMode(*db, "DELETE");
            try {
                AddDatabase(*db, source.source, input, outcome, progress);
            } catch (const std::exception& failure) {
                outcome.failed.emplace_back(input.file, failure.what());
            }
            if (first)
                TryJournalMode(*db, "WAL");
        }
    progress.SetStatus("");
    return outcome;
}
