#include "ArchiveFile.h"

#include "ArchiveSchema.h"
#include "EArchiveError.h"
#include "TSQLiteCursor.h"
#include "TemporaryFile.h"

#include <sqlite3.h>

#include <array>
#include <ctime>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};
constexpr int kLockWaitMilliseconds = 10000;

std::uint32_t BigEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

std::string LocalStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    return std::string(stamp, std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local));
}

// path's name with a word put before its extension: archive.sqlite -> archive-WORD.sqlite; a number after it where
// that name is taken.
fs::path FreeNameBeside(const fs::path& path, const std::string& word) {
    for (int n = 1;; ++n) {
        fs::path candidate = path.parent_path() / (path.stem().string() + "-" + word +
                                                   (n > 1 ? "-" + std::to_string(n) : "") + path.extension().string());
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error)) && !fs::exists(candidate.string() + "-wal", error))
            return candidate;
    }
}

// Moves the damaged archive, with its -wal, out of the way under a new name; its bytes stay as they are.
[[noreturn]] void SetAside(const fs::path& path, const std::string& why) {
    const fs::path aside = FreeNameBeside(path, "damaged-" + LocalStamp());
    std::error_code error;
    fs::rename(path, aside, error);
    if (error)
        throw EArchiveError("The archive " + path.string() + " is damaged (" + why +
                            ") and could not be set aside: " + error.message() + ". Nothing was changed.");
    std::error_code ignored;
    if (fs::exists(path.string() + "-wal", ignored))
        fs::rename(path.string() + "-wal", aside.string() + "-wal", ignored);
    fs::remove(path.string() + "-shm", ignored);
    throw EArchiveError("The archive " + path.string() + " is damaged (" + why + "). It was set aside, unchanged, as " +
                        aside.string() +
                        ". The next add starts a new archive; add your backups folder to it again to rebuild it.");
}

// A new, empty archive at path, made whole under a name of its own first.
void CreateArchive(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    TemporaryFile file(path, TemporaryFile::Kind::Named);
    if (const int closed = file.Close(); closed != 0)
        throw EArchiveError("Cannot create the archive " + path.string() + ": " +
                            std::generic_category().message(closed));
    {
        TSQLiteDatabase db(file.Path().string(), SQLITE_OPEN_READWRITE, path.string());
        db.ExecSQL("BEGIN");
        CreateArchiveSchema(db);
        db.ExecSQL("COMMIT");
    }
    if (const int moved = file.MoveToNew(path); moved != 0)
        throw EArchiveError("Cannot create the archive " + path.string() + ": " +
                            std::generic_category().message(moved));
}

std::int64_t SchemaVersion(TSQLiteDatabase& db) {
    TSQLiteCursor rows(db, "PRAGMA user_version");
    return rows.Step() ? std::stoll(std::string(rows.FieldAsText(0))) : 0;
}

// What quick_check finds wrong; empty when nothing.
std::string QuickCheck(TSQLiteDatabase& db) {
    TSQLiteCursor rows(db, "PRAGMA quick_check(1)");
    const std::string found = rows.Step() ? std::string(rows.FieldAsText(0)) : std::string();
    return found == "ok" ? std::string() : found;
}

// A copy of the archive as it is, kept beside it before an upgrade changes it.
void KeepCopy(TSQLiteDatabase& db, const fs::path& path, std::int64_t version) {
    const fs::path copy = FreeNameBeside(path, "schema" + std::to_string(version));
    TSQLiteDatabase target(copy.string());
    db.BackupTo(target);
}

std::unique_ptr<TSQLiteDatabase> OpenChecked(const fs::path& path) {
    auto db = std::make_unique<TSQLiteDatabase>(path.string(), SQLITE_OPEN_READWRITE, path.string());
    db->SetBusyTimeout(kLockWaitMilliseconds);
    const std::int64_t version = SchemaVersion(*db);
    if (version > kArchiveSchemaVersion)
        throw EArchiveError("The archive " + path.string() + " has schema version " + std::to_string(version) +
                            ", made by a newer version of this program; this one knows version " +
                            std::to_string(kArchiveSchemaVersion) + ". It is left as it is.");
    std::string damage = QuickCheck(*db);
    // An archive is made with its version in the same transaction as its tables: without one it is not whole.
    if (damage.empty() && version < 1)
        damage = "no schema version";
    if (!damage.empty()) {
        db.reset();
        SetAside(path, damage);
    }
    if (version < kArchiveSchemaVersion) {
        KeepCopy(*db, path, version);
        db->ExecSQL("BEGIN IMMEDIATE");
        UpgradeArchiveSchema(*db, version);
        db->ExecSQL("COMMIT");
    }
    // A no-op where the file is in WAL mode already, as every archive is after its first open.
    TSQLiteCursor(*db, "PRAGMA journal_mode = WAL").Step();
    db->ExecSQL("PRAGMA synchronous = FULL");
    // A first add inserts every highlight and book of a library: its index pages stay in memory meanwhile.
    db->ExecSQL("PRAGMA cache_size = -32768");
    return db;
}

} // namespace

std::unique_ptr<TSQLiteDatabase> OpenArchive(const fs::path& path, bool create, ProgressReporter&) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw EArchiveError("The archive " + path.string() + " is not a file.");
    if (!fs::exists(status) || fs::file_size(path, error) == 0) {
        if (!create)
            return nullptr;
        fs::remove(path, error);
        CreateArchive(path);
    }
    std::array<char, 100> header{};
    std::ifstream(path, std::ios::binary).read(header.data(), header.size());
    if (std::string_view(header.data(), kSqliteMagic.size()) != kSqliteMagic)
        throw EArchiveError("The file " + path.string() +
                            " is no SQLite database, so no archive; it is left as it is. Name another with --archive.");
    if (BigEndian32(header.data() + 68) != kArchiveApplicationId)
        throw EArchiveError("The database " + path.string() +
                            " is no archive of this program; it is left as it is. Name another with --archive.");
    try {
        return OpenChecked(path);
    } catch (const ESQLiteException& failure) {
        if (!failure.IsCorrupt() && !failure.IsNotADatabase())
            throw;
        SetAside(path, failure.what());
    }
}
