#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <filesystem>

// Files shaped like a reader's drawing: the page a JPEG at the screen's size, the ink an SVG of strokes only.
namespace markup {

inline const QColor kPaper(255, 255, 255);
inline const QColor kPrint(60, 60, 60); // a band of text across the page, from 10 % to 15 % of its height
inline const QColor kInk(255, 0, 0);    // a square of ink in the middle, from 40 % to 60 % each way

void WritePage(const std::filesystem::path& jpg, QSize size);
// The ink's width, height and viewBox all viewBox, as the reader writes them.
void WriteInk(const std::filesystem::path& svg, QSize viewBox);

// Whether the colour is the expected one, within what JPEG's compression changes.
bool Near(QColor actual, QColor expected);

} // namespace markup
