#include "BookCovers.h"

#include "BookCover.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmapCache>

namespace {

// The cover decoded at the table's size: a JPEG is decoded scaled down, never whole at its full size.
QImage Thumbnail(const std::filesystem::path& volume, const std::string& volumeId, const std::string& imageId) {
    const CoverSearch search = FindBookCover({volume, volumeId, imageId});
    if (!search.cover)
        return {};
    QByteArray bytes = QByteArray::fromRawData(search.cover->bytes.data(), qsizetype(search.cover->bytes.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QSize full(int(search.cover->facts.width), int(search.cover->facts.height));
    reader.setScaledSize(full.scaled(BookCovers::kWidth, BookCovers::kHeight, Qt::KeepAspectRatio));
    return reader.read();
}

} // namespace

BookCovers::BookCovers(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(1); // a picture at a time: the table stays quick, the disk is not raced
}

BookCovers::~BookCovers() {
    m_pool.clear();
    m_pool.waitForDone();
}

void BookCovers::SetVolume(const std::filesystem::path& volumeRoot) {
    m_pool.clear();
    m_volume = volumeRoot;
    m_reading.clear();
    m_none.clear();
}

QString BookCovers::CacheKey(const std::string& volumeId) const {
    return QStringLiteral("marvik-cover:") + QString::fromStdString(m_volume.string()) + QLatin1Char('|') +
           QString::fromStdString(volumeId);
}

QPixmap BookCovers::Cover(const std::string& volumeId, const std::string& imageId) {
    if (m_volume.empty())
        return {};
    const QString key = CacheKey(volumeId);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap) || m_reading.contains(key) || m_none.contains(key))
        return pixmap;
    m_reading.insert(key);
    m_pool.start([this, volume = m_volume, volumeId, imageId, key] {
        const QImage image = Thumbnail(volume, volumeId, imageId);
        // Back on the window's thread, where pixmaps live; dropped if this is gone (it waits for the pool first).
        QMetaObject::invokeMethod(
            this,
            [this, volume, volumeId, image, key] {
                if (volume != m_volume || !m_reading.remove(key))
                    return; // asked for by a library no longer shown
                if (image.isNull()) {
                    m_none.insert(key);
                    return;
                }
                QPixmapCache::insert(key, QPixmap::fromImage(image));
                emit CoverRead(QString::fromStdString(volumeId));
            },
            Qt::QueuedConnection);
    });
    return {};
}
