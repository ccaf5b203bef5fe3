#include "BackupFiles.h"

#include <algorithm>
#include <regex>
#include <system_error>
#include <tuple>

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

std::vector<std::filesystem::path> ListBackups(const std::filesystem::path& folder) {
    static const std::regex kName(R"(KoboReader-(\d{4}-\d{2}-\d{2}-\d{6})(?:-([2-9]|[1-9]\d{1,5}))?\.sqlite)");
    struct Backup {
        std::string stamp;
        int variant;
        std::filesystem::path path;
    };
    std::vector<Backup> backups;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::smatch parts;
        // A link or a folder of that name is no backup this program made.
        std::error_code kind;
        if (!std::regex_match(name, parts, kName) ||
            entry->symlink_status(kind).type() != std::filesystem::file_type::regular)
            continue;
        backups.push_back({parts[1], parts[2].matched ? std::stoi(parts[2]) : 1, entry->path()});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
        return std::tie(a.stamp, a.variant) < std::tie(b.stamp, b.variant);
    });
    std::vector<std::filesystem::path> paths;
    for (Backup& backup : backups)
        paths.push_back(std::move(backup.path));
    return paths;
}
