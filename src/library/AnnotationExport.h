#pragma once

#include "ExportFile.h"
#include "ExportOptions.h"
#include "LibraryIndex.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct FailedExport {
    std::string volumeId;
    std::string reason; // the error's message, or "something went wrong!"
};

struct ExportAllResult {
    bool noDatabase = false;
    std::vector<std::filesystem::path> written;
    std::vector<FailedExport> failed; // in the order of the volumes
};

// Writes every highlight and note of the volume to the target path or its first free numbered variant. The database
// is only read, and closed again before the file is written. Errors of the access layer (ESQLiteException) and of
// the file (EFileError) go on to the caller.
ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::filesystem::path& target,
                                const ExportOptions& options, ProgressReporter& progress);

// The bytes ExtractAnnotations would write for the volume, for a pipe; nothing when the database file is gone.
std::optional<std::string> RenderAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                             const std::string& volumeId, const ExportOptions& options,
                                             ProgressReporter& progress);

// Exports each volume as ExtractAnnotations would, to AnnotationTargetPath(resultsFolder, id), with one progress
// across all their bookmarks. A volume whose export fails is noted and the others are still written.
ExportAllResult ExtractAllAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                      const std::vector<std::string>& volumeIds,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress);
