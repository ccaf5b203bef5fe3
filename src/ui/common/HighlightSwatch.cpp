#include "HighlightSwatch.h"

#include <QPainter>
#include <QPixmap>

#include <map>
#include <string>

namespace {

QColor SwatchColor(std::string_view color) {
    if (color == "yellow")
        return QColor(0xf5, 0xd7, 0x3b);
    if (color == "pink")
        return QColor(0xf0, 0x8f, 0xb8);
    if (color == "blue")
        return QColor(0x6f, 0xa8, 0xe8);
    if (color == "green")
        return QColor(0x7c, 0xc9, 0x6a);
    if (color == "grey")
        return QColor(0xa0, 0xa0, 0xa0);
    return QColor(0xf5, 0xd7, 0x3b); // older firmware knew only yellow
}

QIcon PaintedSwatch(std::string_view color) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(SwatchColor(color));
    painter.drawRoundedRect(QRectF(0, 0, 12, 12), 3, 3);
    return QIcon(pixmap);
}

} // namespace

QIcon HighlightSwatch(std::string_view color) {
    // Painted once a colour: a long book has thousands of rows (the window's thread alone asks).
    static std::map<std::string, QIcon, std::less<>> painted;
    auto at = painted.find(color);
    if (at == painted.end())
        at = painted.emplace(std::string(color), PaintedSwatch(color)).first;
    return at->second;
}
