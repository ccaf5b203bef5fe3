#include "InkOverPageRenderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

// How readers keep a drawing (.kobo/markups/<BookmarkID>.svg and .jpg): the JPEG is the page at the screen's own
// size (1264 x 1680 on a colour reader with a stylus), and the SVG, written by Qt's SVG generator, holds only the
// strokes, its width, height and viewBox that same screen ("0 0 1264 1680"). So the ink's viewBox is stretched over
// the whole page rather than kept at its own size: the two line up on every screen, also where a file's sizes differ
// by a pixel. Where the page already shows the ink, painting it again covers the same pixels.
std::optional<std::string> InkOverPageRenderer::RenderPng(const std::filesystem::path& ink,
                                                          const std::filesystem::path& page) const {
    QImageReader pageReader(QFile::decodeName(page.c_str()));
    QImage picture = pageReader.read();
    if (picture.isNull())
        return std::nullopt;
    QSvgRenderer inkLayer(QFile::decodeName(ink.c_str()));
    if (!inkLayer.isValid())
        return std::nullopt;

    picture = picture.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        inkLayer.setAspectRatioMode(Qt::IgnoreAspectRatio);
        inkLayer.render(&painter, QRectF(picture.rect()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return std::nullopt;
    return png.toStdString();
}
