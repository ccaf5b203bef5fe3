#pragma once

#include "AnnotatedVolume.h"

#include <string>

// A drawing in Markdown: its picture, where one was written beside the file, as an image of its own paragraph that
// every Markdown reader shows.
void AppendMarkupPicture(std::string& out, const AnnotatedBookmark& drawing);

// What the drawing's line of facts calls it: "Drawing", "Drawing (picture missing)" when its picture could not be
// made, or, without pictures, "Drawing: " and the image found beside the database.
std::string MarkupLabel(const AnnotatedBookmark& drawing);
