#pragma once

#include "AnnotationSource.h"
#include "CombinedSource.h"
#include "ProgressReporter.h"
#include "ReadingOptions.h"

#include <filesystem>
#include <memory>
#include <vector>

// What a path holds for a reading of highlights: a file is one source, a folder (a mounted reader's root) each source
// found in it: the reader's database (.kobo/KoboReader.sqlite), KOReader's sidecars, a Kindle's clippings.
enum class SourcePathKind {
    ReaderDatabase,  // an SQLite file: a Kobo reader's database, a backup of it, the desktop app's Kobo.sqlite
    KOReader,        // a sidecar (.lua), or a folder holding sidecars below it
    KindleClippings, // a clippings file, or a Kindle's root (documents/My Clippings.txt)
};
std::vector<SourcePathKind> KindsOfSourcePath(const std::filesystem::path& path);

// Opens each source the path holds (KindsOfSourcePath). Raises std::runtime_error naming the path when it is missing,
// holds no source, or a source in it cannot be read. What single files or sidecars could not give is told through
// progress.
std::vector<SourceMember> OpenSourcePath(const std::filesystem::path& path, ProgressReporter& progress,
                                         const ReadingOptions& options);

// The files of other readers a folder holds (KOReader's sidecars below it, a Kindle's clippings file), for a backup of
// them; a Kobo database is backed up on its own.
std::vector<std::filesystem::path> OtherReadersFilesOf(const std::filesystem::path& folder);

// Every path's sources as one library (CombinedSource), in the order given.
std::unique_ptr<CombinedSource> OpenSourcePaths(const std::vector<std::filesystem::path>& paths,
                                                ProgressReporter& progress, const ReadingOptions& options);
