#include "TemporaryFile.h"

#include "EFileError.h"
#include "StaleTemporaryFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

void RaiseFileError(const char* what, const std::filesystem::path& file, int error) {
    throw EFileError(std::string(what) + " \"" + file.string() + "\": " + std::generic_category().message(error));
}

TemporaryFile::TemporaryFile(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    RemoveStaleTemporaryFiles(folder);
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A short name of its own: the target's name may already be as long as the file system allows.
        m_path = folder / TemporaryFileName(random() % 1000000000000ULL);
        // 0666 so that the umask gives the written file the permissions of any newly created file.
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            Lock();
            return;
        }
        if (errno != EEXIST)
            RaiseFileError("Cannot create file", target, errno);
    }
    RaiseFileError("Cannot create file", target, EEXIST);
}

TemporaryFile::~TemporaryFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_path.empty())
        ::unlink(m_path.c_str());
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

int TemporaryFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int TemporaryFile::Close() {
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? 0 : errno;
}

int TemporaryFile::MoveTo(const std::filesystem::path& target) {
    return Moved(std::rename(m_path.c_str(), target.c_str()));
}

int TemporaryFile::MoveToNew(const std::filesystem::path& target) {
    const int rc = ::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot refuse to replace: the name is looked at first.
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, error)))
            return EEXIST;
        return MoveTo(target);
    }
    return Moved(rc);
}

int TemporaryFile::Moved(int rc) {
    if (rc != 0)
        return errno;
    m_path.clear();
    return 0;
}

// The lock lives on a second descriptor of the same open file: closing the written one shows delayed write errors,
// and the lock still holds until the name has moved. On a file system without locks the file is written unlocked;
// cleaning cannot lock there either and removes nothing.
void TemporaryFile::Lock() {
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        m_lockFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
}
