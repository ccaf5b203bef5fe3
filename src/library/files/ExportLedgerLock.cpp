#include "ExportLedgerLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

ExportLedgerLock::ExportLedgerLock(const std::filesystem::path& folder)
    : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd < 0)
        return;
    // Polled rather than blocking, so that the wait has an end.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return; // no locks here: the folder is used unlocked
        if (std::chrono::steady_clock::now() >= deadline) {
            m_busy = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

ExportLedgerLock::~ExportLedgerLock() {
    // Closing the descriptor releases the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

ExportLedgerLock::ExportLedgerLock(ExportLedgerLock&& other) noexcept : m_fd(other.m_fd), m_busy(other.m_busy) {
    other.m_fd = -1;
}
