#include "DatabaseBackup.h"

#include "BackupFiles.h"
#include "LibraryIndex.h"
#include "ReaderConnection.h"
#include "TSQLiteTable.h"
#include "TemporaryFile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fstream>

namespace {

constexpr int kMostVariants = 1000;

[[noreturn]] void RaiseDamaged(const std::string& detail) {
    throw ESQLiteException("The database file is damaged, so no backup of it was kept.\r" + detail);
}

void CreateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        RaiseFileError("Cannot create folder", folder, error.value());
}

// What SQLite may make beside a database, named after it; none of it outlives an attempt at a backup.
class CompanionFiles {
public:
    explicit CompanionFiles(const std::filesystem::path& database) : m_database(database) {}
    ~CompanionFiles() {
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            std::error_code ignored;
            std::filesystem::remove(m_database.string() + suffix, ignored);
        }
    }
    CompanionFiles(const CompanionFiles&) = delete;
    CompanionFiles& operator=(const CompanionFiles&) = delete;

private:
    std::filesystem::path m_database;
};

// The online backup copies the header of a WAL-mode database as it is, and SQLite opens a file whose header says WAL
// with a -wal and a -shm beside it, which a full folder would then keep. Every page is in the copy already, so the
// header is set to rollback mode (file format 1, as journal_mode=DELETE leaves it) before the copy is ever opened
// again: it stays one file.
void MarkRollbackMode(const std::filesystem::path& copy) {
    constexpr std::streamoff kFormatVersions = 18; // write and read version, 2 each in WAL mode
    std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
    char versions[2] = {};
    if (!file.seekg(kFormatVersions).read(versions, sizeof versions) || versions[0] != 2 || versions[1] != 2)
        return; // not in WAL mode, or no header at all: SQLite says what it makes of it
    const char rollback[2] = {1, 1};
    if (!file.seekp(kFormatVersions).write(rollback, sizeof rollback).flush())
        RaiseFileError("Cannot write file", copy, errno != 0 ? errno : EIO);
}

// The copy, now one file in rollback mode, is checked as a whole.
void SettleAndCheck(const std::filesystem::path& copy) {
    TSQLiteDatabase database(copy.string(), SQLITE_OPEN_READWRITE, copy.string());
    std::vector<std::string> problems;
    try {
        database.GetTable("PRAGMA journal_mode=DELETE");
        for (TSQLiteTable check = database.GetTable("PRAGMA quick_check(5)"); !check.Eof(); check.Next())
            problems.push_back(check.FieldAsString(0));
    } catch (const ESQLiteException& error) {
        if (!error.IsCorrupt() && !error.IsNotADatabase())
            throw;
        RaiseDamaged(error.what());
    }
    if (problems.size() == 1 && problems.front() == "ok")
        return;
    std::string detail;
    for (const std::string& problem : problems)
        detail += (detail.empty() ? "" : "\r") + problem;
    RaiseDamaged(detail);
}

bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::file_size(a, error) != std::filesystem::file_size(b, error) || error)
        return false;
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    std::vector<char> one(1 << 16), two(1 << 16);
    while (first && second) {
        first.read(one.data(), static_cast<std::streamsize>(one.size()));
        second.read(two.data(), static_cast<std::streamsize>(two.size()));
        if (first.gcount() != second.gcount() || !std::equal(one.begin(), one.begin() + first.gcount(), two.begin()))
            return false;
    }
    return first.eof() && second.eof();
}

// A backup is a database the program can load: a file without the reader's tables is refused as loading refuses
// it, in the same words. The checked copy is read, as loading reads it, rather than the reader's files once more.
void RequireReaderTables(const std::filesystem::path& copy) {
    const std::unique_ptr<ReaderConnection> reader = OpenReaderDatabase(copy, ReaderAccess::Read);
    if (!reader)
        RaiseFileError("Cannot open file", copy, ENOENT);
    const TextOrder order("C");
    LibraryIndex index(order);
    ReadLibraryIndex(*reader, index, ReadingOptions{});
}

// The first name of this second that no file has: two backups may come within one second.
std::filesystem::path KeepUnderFreeName(TemporaryFile& copy, const std::filesystem::path& folder) {
    const std::time_t now = std::time(nullptr);
    MarkBackupMadeAt(copy.Path(), now);
    for (int variant = 1; variant <= kMostVariants; ++variant) {
        const std::filesystem::path name = folder / BackupFileName(now, variant);
        const int error = copy.MoveToNew(name);
        if (error == 0)
            return name;
        if (error != EEXIST)
            RaiseFileError("Cannot create file", name, error);
    }
    RaiseFileError("Cannot create file", folder / BackupFileName(now), EEXIST);
}

// The backup just kept (or found equal) counts as the newest whatever its name or time says: a clock set back or a
// time zone further west gives it an older name than the backups before it, and it is the one just reported.
std::vector<std::filesystem::path> RemoveOldBackups(const std::filesystem::path& folder, std::size_t keep,
                                                    const std::filesystem::path& newest) {
    std::vector<std::filesystem::path> backups = ListBackups(folder);
    const std::size_t othersKept = std::max<std::size_t>(keep, 1) - std::erase(backups, newest);
    std::vector<std::filesystem::path> removed;
    for (std::size_t i = 0; i + othersKept < backups.size(); ++i) {
        std::error_code error;
        if (std::filesystem::remove(backups[i], error))
            removed.push_back(backups[i]);
    }
    return removed;
}

} // namespace

BackupResult BackUpDatabase(const std::filesystem::path& database, const std::filesystem::path& folder,
                            std::size_t keep, ProgressReporter& progress) {
    BackupResult result;
    if (!IsReaderDatabaseFile(database)) {
        result.noDatabase = true;
        return result;
    }
    CreateFolder(folder);
    progress.SetStatus("backing up database");
    TemporaryFile copy(folder / BackupFileName(std::time(nullptr)), TemporaryFile::Kind::Named);
    const CompanionFiles companions(copy.Path());
    copy.Close(); // SQLite writes it by its name
    const bool read = ReadReaderDatabase(database, "the database", progress, [&](ReaderConnection& reader) {
        TSQLiteDatabase target(copy.Path().string(), SQLITE_OPEN_READWRITE, copy.Path().string());
        // A copy cut short is thrown away, so it needs no journal.
        target.GetTable("PRAGMA journal_mode=OFF");
        reader.Database().BackupTo(target);
    });
    if (!read) {
        result.noDatabase = true;
        progress.SetStatus("");
        return result;
    }
    MarkRollbackMode(copy.Path());
    SettleAndCheck(copy.Path());
    RequireReaderTables(copy.Path());
    const std::vector<std::filesystem::path> earlier = ListBackups(folder);
    result.duplicate = !earlier.empty() && SameBytes(copy.Path(), earlier.back());
    result.file = result.duplicate ? earlier.back() : KeepUnderFreeName(copy, folder);
    result.removed = RemoveOldBackups(folder, keep, result.file);
    progress.SetStatus("");
    return result;
}
