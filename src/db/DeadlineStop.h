#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A stop for database work (InterruptScope) that comes by itself once a budget of time is spent, or as soon as the
// stop the calling thread already heeds is asked: work that may not end (a database made to run a query without end)
// is given an end, and a Cancel still reaches it.
class DeadlineStop {
public:
    explicit DeadlineStop(std::chrono::milliseconds budget);
    ~DeadlineStop();
    DeadlineStop(const DeadlineStop&) = delete;
    DeadlineStop& operator=(const DeadlineStop&) = delete;

    // The flag to hand to an InterruptScope on the calling thread.
    const std::atomic<bool>& Flag() const { return m_stop; }
    // Whether the budget, rather than the outer stop, ended the work.
    bool Spent() const { return m_spent.load(); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_spent{false};
    const std::atomic<bool>* m_outer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_ending = false;
    std::thread m_watch;
};
