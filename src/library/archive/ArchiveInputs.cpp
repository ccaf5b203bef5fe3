#include "ArchiveInputs.h"

#include "ArchiveTime.h"
#include "BackupFiles.h"
#include "ReaderConnection.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace {

namespace fs = std::filesystem;

std::string StateTimeOf(const fs::path& file) {
    if (const std::optional<std::time_t> made = BackupMadeAt(file))
        return ArchiveTimeText(*made);
    return std::max(FileTimeText(file), FileTimeText(file.string() + "-wal"));
}

fs::path Absolute(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

} // namespace

ArchiveSourceInput ArchiveInputOf(const fs::path& path) {
    ArchiveSourceInput input;
    input.source = Absolute(path);
    switch (KindOfDatabasePath(path)) {
    case DatabasePathKind::File:
        input.databases.push_back({path, StateTimeOf(path)});
        return input;
    case DatabasePathKind::Folder:
        break;
    case DatabasePathKind::NotFound:
        throw std::runtime_error("not found: " + path.string());
    case DatabasePathKind::Fifo:
    case DatabasePathKind::Device:
    case DatabasePathKind::Socket:
        throw std::runtime_error("not a database file or folder: " + path.string());
    }
    // Backups in their own order (a second backup of one second after the first), the other databases by their time.
    struct Found {
        std::string time;
        std::size_t rank;
        fs::path file;
    };
    std::vector<Found> found;
    const std::vector<fs::path> backups = ListBackups(path);
    for (std::size_t k = 0; k < backups.size(); ++k)
        found.push_back({StateTimeOf(backups[k]), k, backups[k]});
    std::error_code error;
    for (fs::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code kind;
        const std::string name = entry->path().filename().string();
        if (!name.starts_with("KoboReader") || !name.ends_with(".sqlite") || !entry->is_regular_file(kind) ||
            BackupMadeAt(entry->path()))
            continue;
        found.push_back({StateTimeOf(entry->path()), backups.size(), entry->path()});
    }
    if (found.empty())
        throw std::runtime_error("no database in " + path.string());
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.time, a.rank, a.file) < std::tie(b.time, b.rank, b.file);
    });
    for (Found& database : found)
        input.databases.push_back({std::move(database.file), std::move(database.time)});
    return input;
}
