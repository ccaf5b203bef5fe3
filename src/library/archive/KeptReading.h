#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

class TSQLiteDatabase;

// What a reading of the archive is made from: the archive (its path, made absolute), its state (its generation
// number and stamp, ArchiveSchema.h), whether the gone bookmarks were left out, and the shape of the reading itself.
struct ArchiveReadingKey {
    std::string archive;
    std::int64_t generation = 0;
    std::string stamp;
    bool liveOnly = false;

    bool operator==(const ArchiveReadingKey&) const = default;
};

// The archive's path as keys name it: absolute, without links.
std::string ArchiveKeyPath(const std::filesystem::path& archive);
// The archive's key as it stands, read inside the caller's transaction on the archive. Raises ESQLiteException.
ArchiveReadingKey ReadArchiveKey(TSQLiteDatabase& archive, const std::filesystem::path& path, bool liveOnly);
// Records the key in the reading attached to the archive's connection as schema, inside the caller's transaction.
void WriteReadingKey(TSQLiteDatabase& db, const std::string& schema, const ArchiveReadingKey& key);

// A reading of an archive kept between runs in a folder of the user's own, so that a run that finds the archive as
// the reading was made from it reads that instead of making another. Each file is made under a name of its own
// (".making-..."), renamed to "ARCHIVE-all|live-XXXXXX.sqlite" once whole and never written again: no run sees a
// half-made one. Whoever uses one holds a shared flock on it; a file nobody holds may be removed by the next run that
// makes one (an older state, a damaged file, a making that died), and a run that finds one checks that it still has
// its name once it holds it.
class KeptReading {
public:
    // A kept reading of key in folder that is whole (it opens, holds key, and is as long as its pages say), held while
    // the object lives; null when there is none. A file that is not whole is never used.
    static std::unique_ptr<KeptReading> Find(const std::filesystem::path& folder, const ArchiveReadingKey& key);
    // A new file in folder (made with the user's own permissions), held, to make a reading of the archive in; removed
    // with the object unless kept. Raises EFileError when it cannot be made.
    static std::unique_ptr<KeptReading> Start(const std::filesystem::path& folder, const std::string& archive,
                                              bool liveOnly);
    ~KeptReading();
    KeptReading(const KeptReading&) = delete;
    KeptReading& operator=(const KeptReading&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Gives the made reading its kept name, then removes the archive's other readings in the folder that nobody holds,
    // and makings that died. Raises EFileError when the name cannot be given.
    void Keep();

private:
    KeptReading(std::filesystem::path path, int fd, bool kept);

    std::filesystem::path m_path;
    int m_fd;    // open with a shared flock while the object lives
    bool m_kept; // has its kept name
};
