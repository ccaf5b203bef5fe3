#pragma once

#include "FolderLock.h"
#include "ProgressReporter.h"

#include <chrono>
#include <filesystem>

// Makes two adds to archives of one folder take turns: each would read what the other is about to write. It locks
// the folder (FolderLock), so that nothing appears beside the archive for it, until this object goes.
class ArchiveLock {
public:
    // How long an add waits for another one to finish before it gives up: an add of many backups takes minutes.
    static constexpr std::chrono::minutes kPatience{10};

    // Raises EArchiveError when the other add still runs after kPatience; says once through progress that it waits.
    ArchiveLock(const std::filesystem::path& folder, ProgressReporter& progress);

private:
    FolderLock m_lock;
};
