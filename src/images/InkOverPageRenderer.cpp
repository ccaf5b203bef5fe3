#include "InkOverPageRenderer.h"

#include "InkOnlySvg.h"
#include "RegularFileBytes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

// How readers keep a drawing (.kobo/markups/<BookmarkID>.svg and .jpg): the JPEG is the page at the screen's own
// size (1264 x 1680 on a colour reader with a stylus), and the SVG, written by Qt's SVG generator, holds only the
// strokes, its width, height and viewBox that same screen ("0 0 1264 1680"). So the ink's viewBox is stretched over
// the whole page rather than kept at its own size: the two line up on every screen, also where a file's sizes differ
// by a pixel. Where the page already shows the ink, painting it again covers the same pixels. Only the two files
// themselves are read, and of the SVG only its ink (InkOnlySvg.h).
std::optional<std::string> InkOverPageRenderer::RenderPng(const std::filesystem::path& ink,
                                                          const std::filesystem::path& page) const {
    // Larger than any page or ink a reader keeps, by far.
    constexpr std::uintmax_t kMostBytes = std::uintmax_t{64} << 20;
    const std::optional<QByteArray> pageBytes = RegularFileBytes(page, kMostBytes);
    const std::optional<QByteArray> inkBytes = RegularFileBytes(ink, kMostBytes);
    if (!pageBytes || !inkBytes)
        return std::nullopt;
    QImage picture = QImage::fromData(*pageBytes);
    if (picture.isNull())
        return std::nullopt;
    const std::optional<QByteArray> inkOnly = InkOnlySvg(*inkBytes);
    if (!inkOnly)
        return std::nullopt;
    QSvgRenderer inkLayer(*inkOnly);
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
