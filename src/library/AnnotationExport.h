#pragma once

#include "LibraryIndex.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <string>
#include <vector>

struct ExportOptions {
    bool setBom = true;                // "set BOM"
    bool overrideExisting = false;     // "override existing annotation files"
    bool skipDeletedHighlights = true; // "skip deleted highlights": what the reader deleted counts as absent
    bool chapterTitlesFromToc = true;  // "chapter titles from table of contents", for kepub books
};

enum class ExportOutcome {
    NoDatabase, // the database file is gone: nothing was done or shown
    Written,    // file holds the written file's path
    Failed,     // the front end shows "something went wrong!"
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::NoDatabase;
    std::filesystem::path file;
};

struct FailedExport {
    std::string volumeId;
    std::string reason; // the error's message, or "something went wrong!"
};

struct ExportAllResult {
    bool noDatabase = false;
    std::vector<std::filesystem::path> written;
    std::vector<FailedExport> failed; // in the order of the volumes
};

// The file a double-click on the volume writes: resultsFolder / (id after its last "/") + ".annotations.txt".
std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId);

// The lines of the annotation file of one volume, without byte-order mark: the title and author lines, then every
// bookmark in reading order, each part's section lines before its first bookmark of a run. The database is only
// read, and closed again before this returns. Status "extracting annotations" and one progress step per bookmark.
std::vector<std::string> AnnotationLines(const std::filesystem::path& database, const LibraryIndex& index,
                                         const std::string& volumeId, const std::string& separator,
                                         ProgressReporter& progress, const ExportOptions& options = {});

// Writes every highlight and note of the volume to the target path or its first free numbered variant.
// Errors of the access layer (ESQLiteException) and of the file (EFileError) go on to the caller.
ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::string& separator,
                                const std::filesystem::path& target, const ExportOptions& options,
                                ProgressReporter& progress);

// Exports each volume as ExtractAnnotations would, to AnnotationTargetPath(resultsFolder, id), with one progress
// across all their bookmarks. A volume whose export fails is noted and the others are still written.
ExportAllResult ExtractAllAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                      const std::vector<std::string>& volumeIds, const std::string& separator,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress);

// target without its last extension, + "_" + 0000..9999 + extension: the first that names no existing file (a folder
// of that name does not count as one); empty when all are taken.
std::filesystem::path MakeNumberedFileName(const std::filesystem::path& target, const std::string& extension);
