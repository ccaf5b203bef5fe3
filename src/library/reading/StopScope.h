#pragma once

#include <atomic>
#include <memory>

class InterruptScope;

// A stop asked of the database work on the calling thread: while the scope lives and the flag is set, the reading
// ends at its next statement, and a statement that runs ends within a few thousand of SQLite's instructions. For front
// ends, whose work has no clean point of its own between the core's statements.
class StopScope {
public:
    explicit StopScope(const std::atomic<bool>& stop);
    ~StopScope();
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

private:
    std::unique_ptr<InterruptScope> m_interrupt;
};
