#pragma once

#include <atomic>

// A stop that another thread asks of this thread's database work. While an InterruptScope lives on a thread and its
// flag is set, no statement or backup begins on that thread, on any connection, and those that run end within a few
// thousand of SQLite's instructions or a few MB of pages: raised as ESQLiteException with SQLITE_INTERRUPT. Work with
// no clean point of its own between its statements (reading a whole library) stops promptly this way.
class InterruptScope {
public:
    explicit InterruptScope(const std::atomic<bool>& stop) noexcept;
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    // Whether the database work of the calling thread was asked to stop.
    static bool Requested() noexcept;
    // The stop the calling thread's database work heeds, for work it hands to another thread; null when none.
    static const std::atomic<bool>* Current() noexcept;

private:
    const std::atomic<bool>* m_outer; // the scope this one stands in for until it ends
};
