#include "ReplaceFile.h"

#include "StaleTemporaryFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace {

[[noreturn]] void Fail(const char* what, const std::filesystem::path& file, int error) {
    throw EFileError(std::string(what) + " \"" + file.string() + "\": " + std::generic_category().message(error));
}

// The new file beside the target; removed again unless it has taken the target's name. It stays locked while it has
// its own name, so that a later writer that cleans the folder leaves it alone.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
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
                Fail("Cannot create file", target, errno);
        }
        Fail("Cannot create file", target, EEXIST);
    }
    ~TemporaryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
        if (m_lockFd >= 0)
            ::close(m_lockFd);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Returns the error number, 0 on success.
    int WriteLines(const std::vector<std::string>& lines, std::string_view lineEnd) {
        // A small buffer that stays in the cache, rather than one copy of the whole file.
        std::string buffer;
        buffer.reserve(kBufferSize);
        for (const std::string& line : lines) {
            if (buffer.size() + line.size() + lineEnd.size() > kBufferSize) {
                if (const int error = Write(buffer))
                    return error;
                buffer.clear();
            }
            if (line.size() + lineEnd.size() > kBufferSize) {
                if (const int error = Write(line))
                    return error;
            } else {
                buffer += line;
            }
            buffer += lineEnd;
        }
        return Write(buffer);
    }
    int Write(std::string_view bytes) {
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
    int Close() {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }
    int MoveTo(const std::filesystem::path& target) {
        if (std::rename(m_path.c_str(), target.c_str()) != 0)
            return errno;
        m_path.clear();
        return 0;
    }

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    // The lock lives on a second descriptor of the same open file: closing the written one shows delayed write
    // errors, and the lock still holds until the name has moved. On a file system without locks the file is
    // written unlocked; cleaning cannot lock there either and removes nothing.
    void Lock() {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            m_lockFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    }

    std::filesystem::path m_path;
    int m_fd = -1;
    int m_lockFd = -1;
};

} // namespace

namespace {

// The new file gets the bytes, then the name; write is how the bytes go in.
template <class Write> void Replace(const std::filesystem::path& file, Write write) {
    TemporaryFile temporary(file);
    if (const int error = write(temporary))
        Fail("Cannot write file", file, error);
    // Delayed write errors (a full disk, a network share) show only when the file is closed.
    if (const int error = temporary.Close())
        Fail("Cannot write file", file, error);
    if (const int error = temporary.MoveTo(file))
        Fail("Cannot create file", file, error);
}

} // namespace

void ReplaceFile(const std::filesystem::path& file, const std::vector<std::string>& lines, std::string_view lineEnd) {
    Replace(file, [&](TemporaryFile& temporary) { return temporary.WriteLines(lines, lineEnd); });
}

void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    Replace(file, [bytes](TemporaryFile& temporary) { return temporary.Write(bytes); });
}
