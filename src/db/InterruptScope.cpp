#include "InterruptScope.h"

namespace {

thread_local const std::atomic<bool>* t_stop = nullptr;

} // namespace

InterruptScope::InterruptScope(const std::atomic<bool>& stop) noexcept : m_outer(t_stop) {
    t_stop = &stop;
}

InterruptScope::~InterruptScope() {
    t_stop = m_outer;
}

bool InterruptScope::Requested() noexcept {
    return t_stop != nullptr && t_stop->load(std::memory_order_relaxed);
}

const std::atomic<bool>* InterruptScope::Current() noexcept {
    return t_stop;
}
