#include "BackupFiles.h"

#include <algorithm>
#include <chrono>
#include <regex>
#include <system_error>
#include <tuple>

namespace {

using Seconds = std::chrono::seconds;

// Offsets of local time from UTC run from -12 to +14 hours, in whole quarter hours.
constexpr std::time_t kQuarterHour = 15 * 60;
constexpr std::time_t kWestmostOffset = -12 * 60 * 60;
constexpr std::time_t kEastmostOffset = 14 * 60 * 60;

// When the backup named stamp (its local date and time) was made, in seconds since the epoch. Its modification time
// counts when it is a whole second that lies a time zone's offset from the name: then it is the instant the backup was
// kept, whatever the time zone is now. A file copied without its times carries the time of the copy instead, which
// does not fit its name, and a backup kept by an older version has a fraction of a second; for those the name is
// read in the present time zone, which orders them right as long as it has not changed.
std::time_t MadeAt(const std::tm& stamp, const std::filesystem::path& file) {
    std::tm asUtc = stamp;
    const std::time_t nameAsUtc = timegm(&asUtc);
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(file, error);
    if (!error) {
        const auto instant = std::chrono::file_clock::to_sys(modified).time_since_epoch();
        const std::time_t seconds = std::chrono::duration_cast<Seconds>(instant).count();
        const std::time_t offset = nameAsUtc - seconds;
        if (instant == Seconds(seconds) && offset % kQuarterHour == 0 && offset >= kWestmostOffset &&
            offset <= kEastmostOffset)
            return seconds;
    }
    std::tm local = stamp;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

} // namespace

std::string BackupFileName(std::time_t time, int variant) {
    std::tm local{};
    localtime_r(&time, &local);
    char stamp[32];
    std::string name =
        "KoboReader-" + std::string(stamp, std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local));
    if (variant > 1)
        name += "-" + std::to_string(variant);
    return name + ".sqlite";
}

void MarkBackupMadeAt(const std::filesystem::path& backup, std::time_t made) {
    const auto instant = std::chrono::system_clock::time_point(Seconds(made));
    std::error_code ignored;
    std::filesystem::last_write_time(backup, std::chrono::file_clock::from_sys(instant), ignored);
}

namespace {

struct BackupName {
    std::time_t made;
    int variant;
};

// The instant and variant of a file named as a backup.
std::optional<BackupName> ReadBackupName(const std::filesystem::path& file) {
    static const std::regex kName(
        R"(KoboReader-(\d{4})-(\d{2})-(\d{2})-(\d{2})(\d{2})(\d{2})(?:-([2-9]|[1-9]\d{1,5}))?\.sqlite)");
    const std::string name = file.filename().string();
    std::smatch parts;
    if (!std::regex_match(name, parts, kName))
        return std::nullopt;
    std::tm stamp{};
    stamp.tm_year = std::stoi(parts[1]) - 1900;
    stamp.tm_mon = std::stoi(parts[2]) - 1;
    stamp.tm_mday = std::stoi(parts[3]);
    stamp.tm_hour = std::stoi(parts[4]);
    stamp.tm_min = std::stoi(parts[5]);
    stamp.tm_sec = std::stoi(parts[6]);
    return BackupName{MadeAt(stamp, file), parts[7].matched ? std::stoi(parts[7]) : 1};
}

} // namespace

std::optional<std::time_t> BackupMadeAt(const std::filesystem::path& file) {
    const std::optional<BackupName> name = ReadBackupName(file);
    return name ? std::optional<std::time_t>(name->made) : std::nullopt;
}

std::vector<std::filesystem::path> ListBackups(const std::filesystem::path& folder) {
    struct Backup {
        std::time_t made;
        int variant;
        std::filesystem::path path;
    };
    std::vector<Backup> backups;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        // A link or a folder of that name is no backup this program made.
        std::error_code kind;
        if (entry->symlink_status(kind).type() != std::filesystem::file_type::regular)
            continue;
        if (const std::optional<BackupName> name = ReadBackupName(entry->path()))
            backups.push_back({name->made, name->variant, entry->path()});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
        return std::tie(a.made, a.variant, a.path) < std::tie(b.made, b.variant, b.path);
    });
    std::vector<std::filesystem::path> paths;
    for (Backup& backup : backups)
        paths.push_back(std::move(backup.path));
    return paths;
}
