#include "KoboDesktopDatabases.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace {

const std::filesystem::path kAppFolder = std::filesystem::path("Kobo") / "Kobo Desktop Edition" / "Kobo.sqlite";

// A Windows user folder's places for an application's data, newest Windows first.
const std::filesystem::path kDataFolders[] = {
    std::filesystem::path("AppData") / "Local",
    std::filesystem::path("Local Settings") / "Application Data",
    std::filesystem::path("Application Data"),
    std::filesystem::path("AppData") / "Roaming",
};

bool IsFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

void AddFromUsers(const std::filesystem::path& users, std::vector<std::filesystem::path>& found) {
    std::error_code error;
    std::vector<std::filesystem::path> people;
    for (std::filesystem::directory_iterator it(users, error), end; !error && it != end; it.increment(error))
        people.push_back(it->path());
    std::sort(people.begin(), people.end());
    for (const std::filesystem::path& person : people)
        for (const std::filesystem::path& data : kDataFolders)
            if (const std::filesystem::path file = person / data / kAppFolder; IsFile(file))
                found.push_back(file);
}

} // namespace

std::vector<std::filesystem::path> KoboDesktopDatabases(const std::filesystem::path& home,
                                                        const std::vector<std::filesystem::path>& winePrefixes,
                                                        const std::filesystem::path& windowsUsers) {
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path& prefix : winePrefixes)
        AddFromUsers(prefix / "drive_c" / "users", found);
    if (!windowsUsers.empty())
        AddFromUsers(windowsUsers, found);
    if (const std::filesystem::path mac = home / "Library" / "Application Support" / kAppFolder; IsFile(mac))
        found.push_back(mac);
    // The same file reached twice (a prefix named twice) is one.
    std::vector<std::filesystem::path> unique;
    for (const std::filesystem::path& file : found)
        if (std::find(unique.begin(), unique.end(), file) == unique.end())
            unique.push_back(file);
    return unique;
}

std::vector<std::filesystem::path> UserWinePrefixes(const std::filesystem::path& home) {
    std::vector<std::filesystem::path> prefixes;
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        prefixes.emplace_back(prefix);
    prefixes.push_back(home / ".wine");
    return prefixes;
}
