#pragma once

#include "LibraryIndex.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <string>
#include <vector>

struct ExportOptions {
    bool setBom = true;            // "set BOM"
    bool overrideExisting = false; // "override existing annotation files"
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

// The file a double-click on the volume writes: resultsFolder / (id after its last "/") + ".annotations.txt".
std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId);

// The lines of the annotation file of one volume, without byte-order mark: the title and author lines, then every
// bookmark in reading order, each part's section lines before its first bookmark of a run. The database is only
// read, and closed again before this returns. Status "extracting annotations" and one progress step per bookmark.
std::vector<std::string> AnnotationLines(const std::filesystem::path& database, const LibraryIndex& index,
                                         const std::string& volumeId, const std::string& separator,
                                         ProgressReporter& progress);

// Writes every highlight and note of the volume to the target path or its first free numbered variant.
// Errors of the access layer (ESQLiteException) and of the file (EFileError) go on to the caller.
ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::string& separator,
                                const std::filesystem::path& target, const ExportOptions& options,
                                ProgressReporter& progress);

// target without its last extension, + "_" + 0000..9999 + extension: the first that names nothing existing yet
// (a folder of that name is passed over too, as no file could be written there); empty when all are taken.
std::filesystem::path MakeNumberedFileName(const std::filesystem::path& target, const std::string& extension);
