#pragma once

#include <chrono>
#include <filesystem>
#include <functional>

// An exclusive flock on a folder itself, so that no file of its own appears in it, held until this object goes. It is
// polled rather than waited for, so that the wait has an end (patience) and can be told (firstWait, called once when
// another holder makes this one wait). A folder that cannot be opened or locked (a file system without locks) is used
// unlocked.
class FolderLock {
public:
    FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience,
               const std::function<void()>& firstWait = {});
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&&) = delete;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Whether another holder still held the folder when the patience ran out: this one holds nothing.
    bool Busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};
