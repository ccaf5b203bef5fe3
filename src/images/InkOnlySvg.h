#pragma once

#include <QByteArray>

#include <optional>

// A drawing's SVG cut down to its ink: shapes, groups and their paints, with every reference to something outside
// the file taken out (an image or a link naming a file, a URL or a device) and text left out. A reader's drawings are
// strokes only; what else a file holds would read other files into the picture, block on a FIFO while doing so, or
// need fonts the command line does not load. The window and the command line draw the same picture from it.
// Nothing when the file is not well-formed XML.
std::optional<QByteArray> InkOnlySvg(const QByteArray& svg);
