#pragma once

#include "AnnotatedVolume.h"
#include "LibraryIndex.h"
#include "ProgressReporter.h"
#include "ReadingOptions.h"

#include <filesystem>
#include <optional>
#include <string>

class ChapterTitles;
class KeptConnection;
class ReaderConnection;

// Reads every bookmark of the volume with its part, and puts them in reading order. The title and author come from
// the index. Status "extracting annotations" once the bookmarks are read, then one progress step per bookmark.
// chapterTitles: the titles of every kepub book when the caller has read them already, else null.
AnnotatedVolume ReadAnnotatedVolume(ReaderConnection& reader, const LibraryIndex& index, const std::string& volumeId,
                                    const ReadingOptions& options, const ChapterTitles* chapterTitles,
                                    ProgressReporter& progress);

// The same, from the database file as ReadReaderDatabase reads it (through kept where the caller keeps a reading);
// nothing when the file is gone.
std::optional<AnnotatedVolume> ReadAnnotatedVolume(const std::filesystem::path& database, const LibraryIndex& index,
                                                   const std::string& volumeId, const ReadingOptions& options,
                                                   ProgressReporter& progress, KeptConnection* kept);

// Whether a Bookmark.Hidden value marks a highlight or note that the reader deleted: 'true' in any letter case, or 1.
bool IsDeletedOnReader(std::string_view hidden);
