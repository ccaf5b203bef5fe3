#include "DatabaseBackup.h"

#include "BackupFiles.h"
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

// The copy of a WAL-mode database says so in its header and would want a -wal beside it: it is turned into one file
// in rollback mode, and then checked as a whole.
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

// The first name of this second that no file has: two backups may come within one second.
std::filesystem::path KeepUnderFreeName(TemporaryFile& copy, const std::filesystem::path& folder) {
    const std::time_t now = std::time(nullptr);
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

std::vector<std::filesystem::path> RemoveOldBackups(const std::filesystem::path& folder, std::size_t keep) {
    std::vector<std::filesystem::path> backups = ListBackups(folder);
    std::vector<std::filesystem::path> removed;
    for (std::size_t i = 0; i + std::max<std::size_t>(keep, 1) < backups.size(); ++i) {
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
    TemporaryFile copy(folder / BackupFileName(std::time(nullptr)));
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
    SettleAndCheck(copy.Path());
    const std::vector<std::filesystem::path> earlier = ListBackups(folder);
    result.duplicate = !earlier.empty() && SameBytes(copy.Path(), earlier.back());
    result.file = result.duplicate ? earlier.back() : KeepUnderFreeName(copy, folder);
    result.removed = RemoveOldBackups(folder, keep);
    progress.SetStatus("");
    return result;
}
