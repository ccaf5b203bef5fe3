#pragma once

#include "AnnotationSource.h"
#include "DatabaseFileState.h"
#include "DatabasePathKind.h"
#include "KeptConnection.h"
#include "LibraryIndex.h"

#include <cstddef>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What loading a database came to, for a front end to show in its own words.
struct LoadOutcome {
    enum class Kind {
        Loaded,   // books tells how many are listed
        NotFound, // no file of that name: nothing was loaded
        NotAFile, // the path names a folder, FIFO, device or socket (pathKind says which)
        Failed,   // the database could not be read: error and exception say why
    };
    Kind kind = Kind::NotFound;
    std::size_t books = 0;
    DatabasePathKind pathKind = DatabasePathKind::NotFound;
    std::string error;
    std::exception_ptr exception; // for a front end that shows errors its own way
};

// A reader's database (or a backup of it, or the desktop app's) as a source of highlights: its path, its index, and a
// reading of it kept between actions while its files stay as they were (KeptConnection.h). The database is only read.
class ReaderDatabaseSource : public AnnotationSource {
public:
    explicit ReaderDatabaseSource(const TextOrder& order = TextOrder::ForUserLocale()) : m_index(order) {}

    // Empties the index; when path names an existing file, records it as the database and reads its index.
    // Status "reading database" while it runs, and still after a failure. Errors of the database come back as a Failed
    // outcome, with the index as far as it was read.
    LoadOutcome LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                             const ReadingOptions& options = {});

    const std::filesystem::path& DatabasePath() const { return m_databasePath; }
    // Whether the loaded database file still exists.
    bool DatabaseExists() const;
    const LibraryIndex& Index() const override { return m_index; }
    bool HasBookmarks(const std::string& volumeId) const override;
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override;
    // In one reading of the database: every book is read before the caller writes anything, so that a reading that
    // must start again (the database changed meanwhile) hands on nothing twice that was written. A book that cannot be
    // read for an error of the access layer is handed on as unread; a damaged database ends the reading.
    bool ReadVolumes(const std::vector<std::string>& volumeIds, const ReadingOptions& options,
                     ProgressReporter& progress, VolumeReceiver& receiver) const override;
    // The loaded database file; the reader is not known from it alone.
    SourceFacts Facts() const override { return {SourceKind::ReaderDatabase, m_databasePath, {}}; }

    // The kept reading, for the other readings of the same database (the overview, the repair).
    KeptConnection& Kept() const { return m_kept; }

private:
    LibraryIndex m_index;
    std::filesystem::path m_databasePath;
    mutable KeptConnection m_kept;
};
