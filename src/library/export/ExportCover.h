#pragma once

#include "AnnotatedVolume.h"
#include "ProgressReporter.h"

#include <filesystem>

// Copies the book's cover, found on the reader's volume (BookCover.h), beside the exported file: the target's name
// without its extension + ".cover" and the picture's extension. A file of that name with other bytes is never
// replaced (CoverCopy.h). Names the copy in volume.cover, relative to the target's folder; leaves that empty where no
// cover was found. What was refused is warned of; a copy that cannot be written raises EFileError.
void PlaceExportCover(AnnotatedVolume& volume, const std::filesystem::path& volumeRoot,
                      const std::filesystem::path& target, ProgressReporter& progress);
