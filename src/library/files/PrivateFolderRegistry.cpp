#include "PrivateFolderRegistry.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

namespace {

constexpr int kFree = 0;
constexpr int kFilling = 1;
constexpr int kLive = 2;

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX]{};
};

// Static storage, never allocated or freed: the handler may run at any moment, in any thread.
std::array<Slot, 32> g_slots;

constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP};

// Everything in folder, then folder itself, with system calls alone. Deleting while listing may hide entries from
// the listing, so it is listed again until nothing more is found.
void RemoveNow(const char* folder) {
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(dirent64) char buffer[4096];
    for (int pass = 0; pass < 8; ++pass) {
        bool removed = false;
        ::lseek(fd, 0, SEEK_SET);
        for (ssize_t got; (got = ::getdents64(fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                at += entry->d_reclen;
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    removed |= ::unlinkat(fd, entry->d_name, 0) == 0;
            }
        }
        if (!removed)
            break;
    }
    ::close(fd);
    ::rmdir(folder);
}

void OnEndingSignal(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : g_slots)
        if (slot.state.load(std::memory_order_acquire) == kLive)
            RemoveNow(slot.path);
    errno = savedErrno;
    // SA_RESETHAND gave the signal its default action back; blocked while this handler runs, it ends the process as
    // soon as the handler returns.
    ::raise(signal);
}

} // namespace

void RemovePrivateFoldersOnSignals() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    for (const int signal : kSignals) {
        struct sigaction present {};
        if (::sigaction(signal, nullptr, &present) == 0 && present.sa_handler == SIG_DFL &&
            (present.sa_flags & SA_SIGINFO) == 0)
            ::sigaction(signal, &action, nullptr);
    }
}

int RegisterPrivateFolder(const std::filesystem::path& folder) {
    const std::string& path = folder.native();
    if (path.size() >= PATH_MAX)
        return -1;
    for (std::size_t index = 0; index < g_slots.size(); ++index) {
        Slot& slot = g_slots[index];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire))
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kLive, std::memory_order_release);
        return static_cast<int>(index);
    }
    return -1;
}

void UnregisterPrivateFolder(int slot) {
    if (slot >= 0 && slot < static_cast<int>(g_slots.size()))
        g_slots[static_cast<std::size_t>(slot)].state.store(kFree, std::memory_order_release);
}
