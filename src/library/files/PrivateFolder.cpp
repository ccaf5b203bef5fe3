#include "PrivateFolder.h"

#include "EFileError.h"
#include "PrivateFolderRegistry.h"
#include "ScopedDescriptor.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kPrefix = "marvik-";
constexpr std::size_t kRandomLetters = 6; // mkdtemp's XXXXXX
// Each attempt loses its folder only to a sweep of another process that took it for stale before it was locked.
constexpr int kCreateAttempts = 8;

std::string Reason(int error) {
    return std::generic_category().message(error);
}

[[noreturn]] void CannotCreateIn(const std::filesystem::path& base, int error) {
    throw EFileError("Cannot create a private folder in \"" + base.string() + "\": " + Reason(error));
}

// Whether fd and path are still one folder: a sweep removes the folder while it holds the lock.
bool StillNamed(int fd, const std::filesystem::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

} // namespace

PrivateFolder::PrivateFolder() {
    const std::filesystem::path base = PrivateFoldersBase();
    for (int attempt = 1;; ++attempt) {
        std::string pattern = (base / (std::string(kPrefix) + std::string(kRandomLetters, 'X'))).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            CannotCreateIn(base, errno);
        ScopedDescriptor folder(::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.Get() < 0) {
            const int error = errno;
            ::rmdir(pattern.c_str());
            if (error != ENOENT || attempt == kCreateAttempts)
                CannotCreateIn(base, error);
            continue;
        }
        // Waits only while a sweep removes it. Where the file system has no locks the folder goes unlocked: a sweep
        // cannot lock it either.
        ::flock(folder.Get(), LOCK_EX);
        if (!StillNamed(folder.Get(), pattern)) {
            if (attempt == kCreateAttempts)
                CannotCreateIn(base, ENOENT);
            continue;
        }
        m_path = pattern;
        m_lock = folder.Release();
        break;
    }
    m_slot = RegisterPrivateFolder(m_path);
}

PrivateFolder::~PrivateFolder() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
    UnregisterPrivateFolder(m_slot);
    ::close(m_lock);
}

std::filesystem::path PrivateFoldersBase() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : base;
}

bool IsPrivateFolderName(std::string_view name) {
    if (name.size() != kPrefix.size() + kRandomLetters || !name.starts_with(kPrefix))
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kPrefix.size()), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

std::filesystem::path CopyInto(const std::filesystem::path& file, const std::filesystem::path& folder,
                               const std::string& name) {
    const auto cannotRead = [&](int error) {
        throw EFileError("Cannot copy \"" + file.string() + "\": " + Reason(error));
    };
    const auto cannotWrite = [&](int error) {
        throw EFileError("Cannot copy the database into the temporary folder \"" + folder.string() +
                         "\": " + Reason(error));
    };
    const std::filesystem::path copy = folder / name;
    const ScopedDescriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (in.Get() < 0)
        cannotRead(errno);
    ScopedDescriptor out(::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (out.Get() < 0)
        cannotWrite(errno);
    std::vector<char> buffer(std::size_t{1} << 20);
    for (;;) {
        const ssize_t got = ::read(in.Get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            cannotRead(errno);
        if (got == 0)
            break;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(out.Get(), buffer.data() + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                cannotWrite(put < 0 ? errno : ENOSPC);
            written += put;
        }
    }
    if (::close(out.Release()) != 0)
        cannotWrite(errno);
    return copy;
}
