#include "StaleTemporaryFiles.h"

#include "ScopedDescriptor.h"

#include "PrivateFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <utility>

namespace {

constexpr std::string_view kPrefix = ".marvik-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::time_t kStaleAfterSeconds = 60;

// Whether this process has not looked through folder for what yet.
bool FirstVisit(const std::filesystem::path& folder, std::string_view what) {
    static std::mutex mutex;
    static std::set<std::pair<std::string, std::filesystem::path>> visited;
    // Absolute folders as given, too: an export names its folder the same way thousands of times, and making a path
    // absolute asks the system for the current folder each time.
    static std::set<std::pair<std::string, std::filesystem::path>> given;
    if (folder.is_absolute()) {
        const std::lock_guard lock(mutex);
        if (given.count({std::string(what), folder}) != 0)
            return false;
    }
    std::error_code error;
    std::filesystem::path key = std::filesystem::absolute(folder, error).lexically_normal();
    if (error)
        key = folder;
    const std::lock_guard lock(mutex);
    if (folder.is_absolute())
        given.emplace(std::string(what), folder);
    return visited.emplace(std::string(what), std::move(key)).second;
}

void RemoveIfStale(const std::filesystem::path& file) {
    // No symbolic link is followed, and nothing but a regular file is touched; O_NONBLOCK keeps a FIFO from blocking.
    const ScopedDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat facts {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &facts) != 0 || !S_ISREG(facts.st_mode) ||
        std::time(nullptr) - facts.st_mtime < kStaleAfterSeconds)
        return;
    // Only a file that no live writer holds: a writer keeps its lock until the file has its new name or is gone.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
        ::unlink(file.c_str());
}

// A private folder of this user that no living process holds: its owner locks it from its making to its removal,
// and the lock goes with the process. Only the folder's own entries go, no link is followed.
void RemoveIfUnheld(const std::filesystem::path& folder) {
    const ScopedDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat facts {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &facts) != 0 || facts.st_uid != ::geteuid() ||
        ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return;
    std::error_code error;
    std::filesystem::remove_all(folder, error); // the lock is held until this is done
}

} // namespace

std::string TemporaryFileName(std::uint64_t number) {
    return std::string(kPrefix) + std::to_string(number) + std::string(kSuffix);
}

bool IsTemporaryFileName(std::string_view name) {
    if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) || !name.ends_with(kSuffix))
        return false;
    const std::string_view digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void RemoveStaleTemporaryFiles(const std::filesystem::path& folder) {
    if (!FirstVisit(folder, "temporary files"))
        return;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (IsTemporaryFileName(entry->path().filename().string()))
            RemoveIfStale(entry->path());
    }
}

void RemoveStalePrivateFolders() {
    const std::filesystem::path base = PrivateFoldersBase();
    if (!FirstVisit(base, "private folders"))
        return;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(base, error), end; !error && entry != end; entry.increment(error)) {
        if (IsPrivateFolderName(entry->path().filename().string()))
            RemoveIfUnheld(entry->path());
    }
}
