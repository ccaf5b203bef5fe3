#pragma once

#include "ProgressReporter.h"

#include <chrono>
#include <filesystem>

// Makes two adds to archives of one folder take turns: each would read what the other is about to write. The lock is
// an exclusive flock on the folder itself, so that nothing appears beside the archive for it; it holds until this
// object goes. A folder that cannot be opened or locked (a file system without locks) is used unlocked.
class ArchiveLock {
public:
    // How long an add waits for another one to finish before it gives up: an add of many backups takes minutes.
    static constexpr std::chrono::minutes kPatience{10};

    // Raises EArchiveError when the other add still runs after kPatience; says once through progress that it waits.
    ArchiveLock(const std::filesystem::path& folder, ProgressReporter& progress);
    ~ArchiveLock();
    ArchiveLock(const ArchiveLock&) = delete;
    ArchiveLock& operator=(const ArchiveLock&) = delete;

private:
    int m_fd = -1;
};
