#include "KeptReading.h"

#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"
#include "TemporaryFile.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Goes up whenever a reading holds other tables or columns than before: one kept by an earlier build is made again.
constexpr std::int64_t kReadingShape = 1;
constexpr const char* kKeyTable = "marvikReadingKey";
constexpr std::string_view kMakingPrefix = ".making-";
constexpr std::string_view kSuffix = ".sqlite";

// The start of the names of an archive's kept readings: a digest of its path (FNV-1a, enough to tell archives apart
// in one user's folder; the key inside each file is what counts) and which bookmarks it holds.
std::string NamePrefix(const std::string& archive, bool liveOnly) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : archive) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(digits) + (liveOnly ? "-live-" : "-all-");
}

// Whether the file open at fd is still the one named path: a run that removes one takes its lock first.
bool StillNamed(int fd, const fs::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && opened.st_nlink > 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Whether the reading at path, open at fd, is whole and made from key.
bool Whole(const fs::path& path, int fd, const ArchiveReadingKey& key) {
    struct stat opened {};
    if (::fstat(fd, &opened) != 0)
        return false;
    try {
        TSQLiteDatabase db(path.string(), SQLITE_OPEN_READONLY, path.string());
        std::int64_t pageCount = 0, pageSize = 0;
        {
            TSQLiteCursor rows(db, "PRAGMA page_count");
            pageCount = rows.Step() ? rows.StoredField(0).integer : 0;
        }
        {
            TSQLiteCursor rows(db, "PRAGMA page_size");
            pageSize = rows.Step() ? rows.StoredField(0).integer : 0;
        }
        // A file cut short, or grown by something that is not this program, is not the one that was made.
        if (pageCount <= 0 || pageCount * pageSize != static_cast<std::int64_t>(opened.st_size))
            return false;
        TSQLiteCursor rows(db, std::string("SELECT archive, generation, stamp, liveOnly, shape FROM ") + kKeyTable);
        if (!rows.Step())
            return false;
        ArchiveReadingKey held;
        held.archive = rows.FieldAsText(0);
        held.generation = rows.StoredField(1).integer;
        held.stamp = rows.FieldAsText(2);
        held.liveOnly = rows.StoredField(3).integer != 0;
        const std::int64_t shape = rows.StoredField(4).integer;
        return held == key && shape == kReadingShape && !rows.Step();
    } catch (const ESQLiteException&) {
        return false;
    }
}

// Removes the file at path when nobody holds it.
void RemoveUnheld(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path))
        ::unlink(path.c_str());
    ::close(fd);
}

} // namespace

std::string ArchiveKeyPath(const fs::path& archive) {
    std::error_code error;
    const fs::path absolute = fs::weakly_canonical(fs::absolute(archive, error), error);
    return (error ? archive : absolute).string();
}

ArchiveReadingKey ReadArchiveKey(TSQLiteDatabase& archive, const fs::path& path, bool liveOnly) {
    ArchiveReadingKey key;
    key.archive = ArchiveKeyPath(path);
    key.liveOnly = liveOnly;
    TSQLiteCursor rows(archive, "SELECT number, stamp FROM generation");
    if (rows.Step()) {
        key.generation = rows.StoredField(0).integer;
        key.stamp = rows.FieldAsText(1);
    }
    return key;
}

void WriteReadingKey(TSQLiteDatabase& db, const std::string& schema, const ArchiveReadingKey& key) {
    db.ExecSQL("CREATE TABLE " + schema + "." + kKeyTable +
               " (archive TEXT NOT NULL, generation INTEGER NOT NULL, stamp TEXT NOT NULL, liveOnly INTEGER NOT NULL, "
               "shape INTEGER NOT NULL)");
    db.ExecSQL("INSERT INTO " + schema + "." + kKeyTable + " VALUES (?, ?, ?, ?, ?)",
               {key.archive, key.generation, key.stamp, std::int64_t(key.liveOnly ? 1 : 0), kReadingShape});
}

KeptReading::KeptReading(fs::path path, int fd, bool kept) : m_path(std::move(path)), m_fd(fd), m_kept(kept) {}

KeptReading::~KeptReading() {
    if (!m_kept)
        ::unlink(m_path.c_str());
    ::close(m_fd);
}

std::unique_ptr<KeptReading> KeptReading::Find(const fs::path& folder, const ArchiveReadingKey& key) {
    const std::string prefix = NamePrefix(key.archive, key.liveOnly);
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(kSuffix))
            continue;
        const int fd = ::open(entry->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // Shared, and waited for: a run removing this file holds it alone only for that moment.
        if (::flock(fd, LOCK_SH) == 0 && StillNamed(fd, entry->path()) && Whole(entry->path(), fd, key))
            return std::unique_ptr<KeptReading>(new KeptReading(entry->path(), fd, true));
        ::close(fd);
    }
    return nullptr;
}

std::unique_ptr<KeptReading> KeptReading::Start(const fs::path& folder, const std::string& archive, bool liveOnly) {
    std::error_code error;
    fs::create_directories(folder, error);
    // The readings hold every highlight and note: for the user's eyes alone.
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    for (int attempt = 0;; ++attempt) {
        std::string name =
            (folder / (std::string(kMakingPrefix) + NamePrefix(archive, liveOnly) + "XXXXXX" + std::string(kSuffix)))
                .string();
        const int fd = ::mkstemps(name.data(), static_cast<int>(kSuffix.size()));
        if (fd < 0)
            RaiseFileError("Cannot create file", name, errno);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        // Another run may have taken it for a making that died before this one held it: then another name.
        if (::flock(fd, LOCK_SH) == 0 && StillNamed(fd, name))
            return std::unique_ptr<KeptReading>(new KeptReading(name, fd, false));
        ::close(fd);
        if (attempt == 3)
            RaiseFileError("Cannot create file", name, EBUSY);
    }
}

void KeptReading::Keep() {
    const fs::path folder = m_path.parent_path();
    const std::string making = m_path.filename().string();
    // ".making-PREFIX-XXXXXX.sqlite" becomes "PREFIX-XXXXXX.sqlite"; a link never replaces a reading another holds.
    const std::string kept = making.substr(kMakingPrefix.size());
    fs::path target = folder / kept;
    for (int more = 1; ::link(m_path.c_str(), target.c_str()) != 0; ++more) {
        if (errno != EEXIST || more > 9)
            RaiseFileError("Cannot create file", target, errno);
        target =
            folder / (kept.substr(0, kept.size() - kSuffix.size()) + "-" + std::to_string(more) + std::string(kSuffix));
    }
    ::unlink(m_path.c_str());
    m_path = target;
    m_kept = true;

    // "PREFIX-" is the digest and which bookmarks: up to the second dash.
    const std::string prefix = kept.substr(0, kept.find('-', kept.find('-') + 1) + 1);
    std::error_code error;
    std::vector<fs::path> unheld;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (entry->path() != m_path && (name.starts_with(prefix) || name.starts_with(kMakingPrefix)))
            unheld.push_back(entry->path());
    }
    for (const fs::path& path : unheld)
        RemoveUnheld(path);
}
