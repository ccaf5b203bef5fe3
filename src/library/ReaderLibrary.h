#pragma once

#include "AnnotatedVolume.h"
#include "AnnotationExport.h"
#include "AnnotationSource.h"
#include "ContentIdRepair.h"
#include "DatabasePathKind.h"
#include "ExportOptions.h"
#include "KeptReading.h"
#include "LibraryIndex.h"
#include "LibraryOverview.h"
#include "ProgressReporter.h"

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

// The loaded database and its index: what the window and the command line keep between actions. A reading of the
// database is kept between actions while its files stay as they were (KeptReading.h).
class ReaderLibrary : public AnnotationSource {
public:
    explicit ReaderLibrary(const TextOrder& order = TextOrder::ForUserLocale()) : m_index(order) {}

    // Empties the index; when path names an existing file, records it as the database and reads its index.
    // Status "reading database" while it runs, and still after a failure. Errors of the database come back as a Failed
    // outcome, with the index as far as it was read.
    LoadOutcome LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                             const ReadingOptions& options = {});

    const std::filesystem::path& DatabasePath() const { return m_databasePath; }
    // Whether the loaded database file still exists.
    bool DatabaseExists() const;
    const LibraryIndex& Index() const override { return m_index; }

    // Whether the database holds any bookmark of the volume, deleted ones included: an id that names none is unknown.
    bool HasBookmarks(const std::string& volumeId) const override;
    // One volume's book facts and bookmarks in reading order; nothing when the database file is gone. Errors of the
    // access layer go on to the caller.
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override;
    // The loaded database file; the reader is not known from it alone.
    SourceFacts Facts() const override { return {SourceKind::ReaderDatabase, m_databasePath, {}}; }
    // Where the export of the volume in the options' format goes in the folder.
    std::filesystem::path ExportTarget(const std::string& volumeId, const std::filesystem::path& resultsFolder,
                                       const ExportOptions& options) const;
    ExportResult ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target,
                                    const ExportOptions& options, ProgressReporter& progress) const;
    // The bytes of the volume's export, for a pipe; nothing when the database file is gone.
    std::optional<std::string> RenderAnnotations(const std::string& volumeId, const ExportOptions& options,
                                                 ProgressReporter& progress) const;
    bool WriteAnnotations(const std::string& volumeId, const ExportOptions& options, ByteSink& sink,
                          ProgressReporter& progress) const;
    std::vector<std::string> RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                              const ReadingOptions& options = {}) const;
    // LoadDatabase, and with it the overview (ReadOverview): its rows are read on a thread of its own beside the index,
    // and joined to the index once both are read. overview is set only when the load succeeded.
    LoadOutcome LoadDatabaseAndOverview(const std::filesystem::path& path, ProgressReporter& progress,
                                        const ReadingOptions& options, std::optional<LibraryOverview>& overview);
    // Every listed book's counts and every bookmark's text, from the kept reading; nothing when the file is gone.
    std::optional<LibraryOverview> ReadOverview(const ReadingOptions& options, ProgressReporter& progress) const;
    // Writes only the named bookmarks of the volume, in reading order, as ExtractAnnotations writes the whole volume to
    // ExportTarget without options.newOnly, and records them in the folder's ledger.
    ExportResult ExtractSelectedAnnotations(const std::string& volumeId, const std::vector<std::string>& bookmarkIds,
                                            const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                            ProgressReporter& progress) const;
    // Exports the volumes one file each, with one progress across all their bookmarks.
    ExportAllResult ExtractAllAnnotations(const std::vector<std::string>& volumeIds,
                                          const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                          ProgressReporter& progress) const;

    // The SQL console: runs each statement, in order, on one connection that may write; the first failure ends the
    // run and goes on to the caller. Nothing happens when the database file is gone.
    void ExecuteStatements(const std::vector<std::string>& statements) const;

private:
    LibraryIndex m_index;
    std::filesystem::path m_databasePath;
    mutable KeptReading m_kept;
};
