#include "ArchiveLock.h"

#include "EArchiveError.h"

ArchiveLock::ArchiveLock(const std::filesystem::path& folder, ProgressReporter& progress)
    : m_lock(folder, kPatience, [&progress] { progress.Warn("waiting for another add to the archive to finish"); }) {
    if (m_lock.Busy())
        throw EArchiveError("Another add to the archive in " + folder.string() +
                            " is still running; nothing was added. Try again when it is done.");
}
