#pragma once

#include "AnnotationExport.h"
#include "ContentIdRepair.h"
#include "ExportOptions.h"
#include "LibraryIndex.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <string>
#include <vector>

// The loaded database and its index: what the window and the command line keep between actions. Every action opens
// the database anew and closes it before it returns.
class ReaderLibrary {
public:
    explicit ReaderLibrary(const TextOrder& order = TextOrder::ForUserLocale()) : m_index(order) {}

    // Empties the index; when path names an existing file, records it as the database and reads its index.
    // Status "reading database" while it runs; an error leaves it shown and goes on to the caller.
    void LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                      const ReadingOptions& options = {});

    const std::filesystem::path& DatabasePath() const { return m_databasePath; }
    // Whether the loaded database file still exists.
    bool DatabaseExists() const;
    const LibraryIndex& Index() const { return m_index; }

    // Where the export of the volume in the options' format goes in the folder.
    std::filesystem::path ExportTarget(const std::string& volumeId, const std::filesystem::path& resultsFolder,
                                       const ExportOptions& options) const;
    ExportResult ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target,
                                    const ExportOptions& options, ProgressReporter& progress) const;
    // The bytes of the volume's export, for a pipe; nothing when the database file is gone.
    std::optional<std::string> RenderAnnotations(const std::string& volumeId, const ExportOptions& options,
                                                 ProgressReporter& progress) const;
    std::vector<std::string> RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                              const ReadingOptions& options = {}) const;
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
};
