#pragma once

#include "FolderLock.h"

#include <chrono>
#include <filesystem>

// Keeps two exports of new highlights (or an export and a sync) out of one folder at the same time: each would read
// the same ledger and write everything it lacks. It holds from before the ledger is read until this object goes,
// after the ledger is saved; Busy() when the other still held the folder after kPatience.
class WritingFolderLock : public FolderLock {
public:
    // How long a second export waits for the first one to finish before it gives up.
    static constexpr std::chrono::seconds kPatience{5};

    explicit WritingFolderLock(const std::filesystem::path& folder) : FolderLock(folder, kPatience) {}
};
