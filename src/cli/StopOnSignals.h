#pragma once

#include <atomic>

// While it lives, Ctrl+C (SIGINT), SIGTERM and SIGHUP ask the work to stop at its next clean point instead of ending
// the process: what is written stays whole, and the run can say it was stopped. A second signal ends the process as
// the handlers from before would (the private folders' own, or the default action). One at a time in a process.
class StopOnSignals {
public:
    StopOnSignals();
    // The handlers from before come back: a signal after the work's last look ends the process, never a run that
    // reports success.
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    // Set by the first signal: for an InterruptScope and for the work's own looks between books.
    static const std::atomic<bool>& Flag();
    // The signal that set it; 0 while none came.
    static int Signal();
    // The exit status of a run that a signal stopped: 128 and the signal's number, as shells report it.
    static int ExitStatus() { return 128 + Signal(); }
};
