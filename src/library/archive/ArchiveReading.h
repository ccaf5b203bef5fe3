#pragma once

#include "ProgressReporter.h"

#include <filesystem>
#include <memory>

class KeptReading;
class PrivateFolder;
class TSQLiteDatabase;

// The archive read as a reader's database is read: a reader-shaped SQLite database, made in a private folder of the
// user's own and removed with this object (or kept between runs, below), holding every bookmark the archive keeps (each
// once, with its gone mark, ArchiveColumns.h), the books' content rows and the reading sessions (as AnalyticsEvents).
// Whatever reads a reader's database (the index, a volume in reading order, the exports, the statistics) reads it the
// same way.
class ArchiveReading {
public:
    // Reads the archive at archive, opened and checked as an add opens it, in one read transaction: an add running
    // meanwhile is seen whole or not at all. A missing archive raises EArchiveError. liveOnly: the bookmarks gone from
    // their reader are left out.
    //
    // keptFolder, where given: the reading is kept there for the next runs (KeptReading.h), and one kept there of the
    // archive as it stands now is read instead of making another. Where the folder cannot be written the reading is
    // made in a private folder as without one.
    ArchiveReading(const std::filesystem::path& archive, bool liveOnly, ProgressReporter& progress,
                   const std::filesystem::path& keptFolder = {});
    ~ArchiveReading();
    ArchiveReading(const ArchiveReading&) = delete;
    ArchiveReading& operator=(const ArchiveReading&) = delete;

    const std::filesystem::path& Archive() const { return m_archive; }
    // The reader-shaped database, never changed once made.
    const std::filesystem::path& Path() const { return m_path; }

private:
    void Make(TSQLiteDatabase& db, bool liveOnly, const std::filesystem::path& keptFolder);

    std::filesystem::path m_archive;
    std::unique_ptr<KeptReading> m_kept;
    std::unique_ptr<PrivateFolder> m_folder;
    std::filesystem::path m_path;
};
