#include "DeadlineStop.h"

#include "InterruptScope.h"

namespace {

// How often the outer stop is looked at: a Cancel is heard within this.
constexpr std::chrono::milliseconds kOuterLook{50};

} // namespace

DeadlineStop::DeadlineStop(std::chrono::milliseconds budget) : m_outer(InterruptScope::Current()) {
    if (budget <= std::chrono::milliseconds::zero()) {
        m_spent = true;
        m_stop = true;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + budget;
    m_watch = std::thread([this, deadline] {
        std::unique_lock lock(m_mutex);
        while (!m_ending) {
            if (m_outer != nullptr && m_outer->load()) {
                m_stop = true;
                return;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                m_spent = true;
                m_stop = true;
                return;
            }
            m_wake.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + kOuterLook));
        }
    });
}

DeadlineStop::~DeadlineStop() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    if (m_watch.joinable())
        m_watch.join();
}
