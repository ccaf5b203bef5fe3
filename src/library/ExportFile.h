#pragma once

#include "ExportFormats.h"

#include <cstddef>
#include <filesystem>
#include <string>

enum class ExportOutcome {
    NoDatabase, // the database file is gone: nothing was done or shown
    Written,    // file holds the written file's path
    Failed,     // the front end shows "something went wrong!"
    NothingNew, // only new highlights were asked for, and the volume has none for its folder: no file was written
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::NoDatabase;
    std::filesystem::path file;
    std::size_t highlights = 0; // the bookmarks the written file holds: with newOnly, those new or changed
};

// The file a double-click on the volume writes: resultsFolder / (id after its last "/") + the writer's suffix, made
// a safe file name (SafeFileName.h).
std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                           const std::string& fileSuffix = ".annotations.txt");

// Where the format's file for the volume goes: the file a double-click writes (AnnotationTargetPath) for a format not
// named by title, and for the others "Title - Author" + extension, made a safe file name, where the title is known,
// else the book's file name + ".annotations" + extension.
std::filesystem::path ExportTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                       const std::string& title, const std::string& author,
                                       const ExportFormatRow& format);

// Writes the volume under the target's name (overrideExisting) or its first free numbered variant, the same for
// every format. Failed when every numbered name is taken or no file of the name is there afterwards. Raises
// EFileError when the file cannot be written.
ExportResult WriteExportFile(const std::string& bytes, const std::string& extension,
                             const std::filesystem::path& target, bool overrideExisting);
