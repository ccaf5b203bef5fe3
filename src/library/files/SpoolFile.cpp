#include "SpoolFile.h"

#include "EFileError.h"
#include "TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

namespace {

int OpenUnnamed(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    // A file system without unnamed files: a named one, its name removed at once.
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path name = folder / (".marvik-spool-" + std::to_string(random() % 1000000000000ULL));
        const int named = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (named >= 0) {
            ::unlink(name.c_str());
            return named;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

SpoolFile::SpoolFile(const std::filesystem::path& folder) : m_folder(folder), m_fd(OpenUnnamed(folder)) {
    if (m_fd.Get() < 0)
        RaiseFileError("Cannot create file", folder, errno);
}

std::uint64_t SpoolFile::Append(std::string_view bytes) {
    const std::uint64_t start = m_size;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(m_fd.Get(), bytes.data(), bytes.size(), static_cast<off_t>(m_size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            RaiseFileError("Cannot write file", m_folder, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        m_size += static_cast<std::uint64_t>(written);
    }
    return start;
}

void SpoolFile::CopyTo(TemporaryFile& file, const std::filesystem::path& name, std::uint64_t offset,
                       std::uint64_t length) const {
    std::vector<char> buffer(std::size_t{1} << 20);
    while (length > 0) {
        const std::size_t want = length < buffer.size() ? static_cast<std::size_t>(length) : buffer.size();
        const ssize_t got = ::pread(m_fd.Get(), buffer.data(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            RaiseFileError("Cannot write file", name, got < 0 ? errno : EIO);
        if (const int error = file.Write({buffer.data(), static_cast<std::size_t>(got)}))
            RaiseFileError("Cannot write file", name, error);
        offset += static_cast<std::uint64_t>(got);
        length -= static_cast<std::uint64_t>(got);
    }
}
