#include "TemporaryFile.h"

#include "EFileError.h"
#include "FileFiller.h"
#include "StaleTemporaryFiles.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace {

constexpr int kNameAttempts = 100;

// A short name of its own: the target's name may already be as long as the file system allows.
std::filesystem::path FreshName(const std::filesystem::path& folder) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    return folder / TemporaryFileName(random() % 1000000000000ULL);
}

// Local file systems, which report a failed write when it is made: a file without a name is written and closed only
// once it has one, so a failure that showed only at closing would come too late. Network and user-space file systems
// may report a write's failure only then, and get a named file.
bool WritesFailAtOnce(int fd) {
    struct statfs facts {};
    if (::fstatfs(fd, &facts) != 0)
        return false;
    switch (static_cast<unsigned long>(facts.f_type)) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
    case 0xca451a4eUL: // bcachefs
        return true;
    default:
        return false;
    }
}

// A file without a name is given one through its entry in /proc: linking the descriptor itself needs a privilege.
bool CanNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

} // namespace

void RaiseFileError(const char* what, const std::filesystem::path& file, int error) {
    throw EFileError(std::string(what) + " \"" + file.string() + "\": " + std::generic_category().message(error),
                     error);
}

FileMaker MakeFilledFile(const FileFiller& contents) {
    return [&contents](const std::filesystem::path& name) {
        auto file = std::make_unique<TemporaryFile>(name);
        contents(*file, name);
        return file;
    };
}

TemporaryFile::TemporaryFile(const std::filesystem::path& target, Kind kind) {
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    RemoveStaleTemporaryFiles(folder);
    if (kind == Kind::Unnamed && CreateUnnamed(folder, target))
        return;
    CreateNamed(folder, target);
}

bool TemporaryFile::CreateUnnamed(const std::filesystem::path& folder, const std::filesystem::path& target) {
    if (!CanNameUnnamedFiles())
        return false;
    // 0666 so that the umask gives the written file the permissions of any newly created file.
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        // A file system or kernel without unnamed files.
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return false;
        RaiseFileError("Cannot create file", target, errno);
    }
    if (!WritesFailAtOnce(fd)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_unnamed = true;
    return true;
}

void TemporaryFile::CreateNamed(const std::filesystem::path& folder, const std::filesystem::path& target) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        m_path = FreshName(folder);
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            Lock();
            return;
        }
        if (errno != EEXIST) {
            m_path.clear();
            RaiseFileError("Cannot create file", target, errno);
        }
    }
    m_path.clear();
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
    if (m_unnamed)
        return 0;
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? 0 : errno;
}

int TemporaryFile::LinkTo(const std::filesystem::path& target) {
    char own[32];
    std::snprintf(own, sizeof own, "/proc/self/fd/%d", m_fd);
    if (::linkat(AT_FDCWD, own, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    m_unnamed = false;
    return 0;
}

int TemporaryFile::MoveTo(const std::filesystem::path& target) {
    if (m_unnamed) {
        // Where no file has the name, the file takes it at once; else it takes a name of its own, then the target's.
        const int error = LinkTo(target);
        if (error != EEXIST)
            return error;
        Lock();
        const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
        for (int attempt = 0; attempt < kNameAttempts && m_unnamed; ++attempt) {
            const std::filesystem::path own = FreshName(folder);
            if (const int linked = LinkTo(own); linked == 0)
                m_path = own;
            else if (linked != EEXIST)
                return linked;
        }
        if (m_unnamed)
            return EEXIST;
    }
    return Moved(std::rename(m_path.c_str(), target.c_str()));
}

int TemporaryFile::MoveToNew(const std::filesystem::path& target) {
    if (m_unnamed)
        return LinkTo(target);
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
