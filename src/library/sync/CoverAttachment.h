#pragma once

#include "AnnotatedVolume.h"
#include "ProgressReporter.h"

#include <filesystem>

// The folder of the notes folder that holds the pictures notes show.
inline constexpr const char* kAttachmentsFolder = "attachments";

// Finds the book's cover on the reader's volume (BookCover.h) and keeps a copy in the notes folder's attachments,
// named from the book's title: the same bytes there already are kept, and a file of that name with other bytes (the
// user's own) is never replaced: the cover takes the next numbered name. Sets volume.cover to the copy's path
// relative to the notes folder; leaves it empty where no cover was found. What was refused on the way, and a copy that
// could not be written, are warned of. write false (a dry run) copies nothing, but names the copy all the same.
void AttachBookCover(const std::filesystem::path& volumeRoot, const std::filesystem::path& notesFolder,
                     AnnotatedVolume& volume, bool write, ProgressReporter& progress);
