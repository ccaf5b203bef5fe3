#include "RegularFileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

std::optional<QByteArray> RegularFileBytes(const std::filesystem::path& file, std::uintmax_t most) {
    // Opened without waiting: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat facts {};
    if (::fstat(fd, &facts) == 0 && S_ISREG(facts.st_mode) && static_cast<std::uintmax_t>(facts.st_size) <= most) {
        QByteArray read(static_cast<qsizetype>(facts.st_size), Qt::Uninitialized);
        qsizetype filled = 0;
        for (;;) {
            const ssize_t got = ::read(fd, read.data() + filled, static_cast<std::size_t>(read.size() - filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            filled += got;
            if (filled == read.size())
                break;
        }
        if (filled == read.size())
            bytes = std::move(read);
    }
    ::close(fd);
    return bytes;
}
