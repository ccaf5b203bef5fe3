#pragma once

#include <chrono>
#include <filesystem>

// Keeps two exports of new highlights out of one results folder at the same time: each would read the same ledger
// and write everything it lacks. The lock is an exclusive flock on the folder itself, so that no file of its own
// appears among the exports; it holds from before the ledger is read until this object goes, after the ledger is
// saved. A folder that cannot be opened or locked (a file system without locks) is used unlocked.
class ExportLedgerLock {
public:
    // How long a second export waits for the first one to finish before it gives up.
    static constexpr std::chrono::seconds kPatience{5};

    explicit ExportLedgerLock(const std::filesystem::path& folder);
    ~ExportLedgerLock();
    ExportLedgerLock(ExportLedgerLock&& other) noexcept;
    ExportLedgerLock& operator=(ExportLedgerLock&&) = delete;
    ExportLedgerLock(const ExportLedgerLock&) = delete;
    ExportLedgerLock& operator=(const ExportLedgerLock&) = delete;

    // Whether another export still held the folder when the patience ran out.
    bool Busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};
