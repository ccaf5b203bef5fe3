#include "StopOnSignals.h"

#include <array>
#include <csignal>

namespace {

constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "set from a signal handler");
std::atomic<bool> g_stop{false};
std::atomic<int> g_signal{0};
// Static storage: the handler puts them back, and sigaction is safe to call there.
std::array<struct sigaction, kSignals.size()> g_before{};

void OnSignal(int signal) {
    g_signal.store(signal);
    g_stop.store(true);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_before[i], nullptr);
}

} // namespace

StopOnSignals::StopOnSignals() {
    g_stop = false;
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], nullptr, &g_before[i]);
        // A signal its starter chose to ignore (nohup, a background job) stays ignored.
        if (g_before[i].sa_handler != SIG_IGN)
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

StopOnSignals::~StopOnSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_before[i], nullptr);
}

const std::atomic<bool>& StopOnSignals::Flag() {
    return g_stop;
}

int StopOnSignals::Signal() {
    return g_signal.load();
}
