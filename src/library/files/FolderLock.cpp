#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

FolderLock::FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience,
                       const std::function<void()>& firstWait)
    : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    bool told = false;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return; // no locks here: the folder is used unlocked
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(m_fd);
            m_fd = -1;
            m_busy = true;
            return;
        }
        if (!told && firstWait)
            firstWait();
        told = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

FolderLock::~FolderLock() {
    // Closing the descriptor releases the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : m_fd(other.m_fd), m_busy(other.m_busy) {
    other.m_fd = -1;
}
