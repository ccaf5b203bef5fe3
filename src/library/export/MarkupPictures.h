#pragma once

#include "AnnotatedVolume.h"
#include "MarkupRenderer.h"

#include <filesystem>

// The folder beside an exported file that holds the pictures of its drawings: the file's name without its extension
// and + ".markups" ("Notes - Ann Writer.markups" beside "Notes - Ann Writer.md"). Every numbered file of the book, in
// every format, shares it.
std::filesystem::path MarkupPictureFolder(const std::filesystem::path& target);

// Writes the picture of each drawing of the volume (the page with the ink over it) into the folder of the export
// target, and points the drawing at it (MarkupImageKind::Rendered, the path relative to the target's folder). A
// drawing whose ink or page is missing or damaged is named as missing (MarkupImageKind::Missing); the others and the
// book are written all the same. A picture already there with the same bytes is named again; nothing else there is
// replaced; where the folder's name is taken by a file or a link, the drawings are named missing. Raises EFileError
// when a picture cannot be written.
void PlaceMarkupPictures(AnnotatedVolume& volume, const MarkupRenderer& renderer, const std::filesystem::path& target);
