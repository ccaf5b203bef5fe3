#include "ArchiveLock.h"

#include "EArchiveError.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

ArchiveLock::ArchiveLock(const std::filesystem::path& folder, ProgressReporter& progress)
    : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd < 0)
        return;
    // Polled rather than blocking, so that the wait has an end and is told.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    bool told = false;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return; // no locks here: the folder is used as before
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(m_fd);
            m_fd = -1;
            throw EArchiveError("Another add to the archive in " + folder.string() +
                                " is still running; nothing was added. Try again when it is done.");
        }
        if (!told) {
            progress.Warn("waiting for another add to the archive to finish");
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

ArchiveLock::~ArchiveLock() {
    // Closing the descriptor releases the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}
