#include "DatabaseFileState.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first bytes of a regular file, read without waiting on anything that is no file.
std::string Header(const std::filesystem::path& file, std::size_t bytes) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string header(bytes, '\0');
    const ssize_t got = ::pread(fd, header.data(), header.size(), 0);
    ::close(fd);
    header.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return header;
}

// Size, modification time and inode of a regular file, and its first bytes; empty when it is missing or empty.
std::string Look(const std::filesystem::path& file, std::size_t headerBytes) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || status.st_size == 0 || !S_ISREG(status.st_mode))
        return {};
    return std::to_string(status.st_size) + ' ' + std::to_string(status.st_mtim.tv_sec) + '.' +
           std::to_string(status.st_mtim.tv_nsec) + ' ' + std::to_string(status.st_ino) + ' ' +
           Header(file, headerBytes);
}

} // namespace

DatabaseFileState DatabaseFileState::Of(const std::filesystem::path& database) {
    DatabaseFileState state;
    state.m_database = Look(database, 0);
    state.m_header = Header(database, 100);
    state.m_wal = Look(database.string() + "-wal", 32);
    state.m_journal = Look(database.string() + "-journal", 28);
    std::error_code error;
    state.m_hasShm = std::filesystem::exists(database.string() + "-shm", error);
    return state;
}

bool DatabaseFileState::InRollbackMode() const {
    // Bytes 18 and 19: the versions a reader and a writer need, 1 for the rollback journal, 2 for WAL.
    return m_header.size() >= 20 && m_header[18] == 1 && m_header[19] == 1;
}
