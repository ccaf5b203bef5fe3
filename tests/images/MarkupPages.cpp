#include "MarkupPages.h"

#include <QFile>
#include <QPainter>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace markup {

void WritePage(const std::filesystem::path& jpg, QSize size) {
    QImage page(size, QImage::Format_RGB32);
    page.fill(kPaper);
    QPainter(&page).fillRect(0, size.height() / 10, size.width(), size.height() / 20, kPrint);
    if (!page.save(QFile::decodeName(jpg.c_str()), "JPEG", 95))
        throw std::runtime_error("cannot write " + jpg.string());
}

void WriteInk(const std::filesystem::path& svg, QSize viewBox) {
    const int w = viewBox.width(), h = viewBox.height();
    std::ofstream(svg) << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                       << "<svg width=\"" << w << "\" height=\"" << h << "\" viewBox=\"0 0 " << w << ' ' << h
                       << "\" xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\">\n"
                       << "<g fill=\"#ff0000\" stroke=\"none\"><path d=\"M" << w * 2 / 5 << ',' << h * 2 / 5 << " L"
                       << w * 3 / 5 << ',' << h * 2 / 5 << " L" << w * 3 / 5 << ',' << h * 3 / 5 << " L" << w * 2 / 5
                       << ',' << h * 3 / 5 << " Z\"/></g>\n</svg>\n";
}

bool Near(QColor actual, QColor expected) {
    return std::abs(actual.red() - expected.red()) < 24 && std::abs(actual.green() - expected.green()) < 24 &&
           std::abs(actual.blue() - expected.blue()) < 24;
}

} // namespace markup
