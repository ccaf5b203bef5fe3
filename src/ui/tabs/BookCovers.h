#pragma once

#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <filesystem>
#include <string>

// The small pictures of the books' covers that the library table shows. Each is read from the reader's volume
// (BookCover.h), decoded and scaled on a thread of the pool the first time its row asks, and kept in QPixmapCache, so
// that loading the table reads no picture at all; with no reader's volume (a database elsewhere) there are none.
class BookCovers : public QObject {
    Q_OBJECT

public:
    static constexpr int kWidth = 32;
    static constexpr int kHeight = 48;

    explicit BookCovers(QObject* parent = nullptr);
    // Waits for the pictures being read.
    ~BookCovers() override;

    // The reader's volume the covers come from; empty: none. What was read of another volume is not shown again.
    void SetVolume(const std::filesystem::path& volumeRoot);
    bool HasVolume() const { return !m_volume.empty(); }
    // The book's picture once it is read; a null pixmap until then (its reading starts, once) or where it has none.
    QPixmap Cover(const std::string& volumeId, const std::string& imageId);

signals:
    void CoverRead(const QString& volumeId);

private:
    QString CacheKey(const std::string& volumeId) const;

    std::filesystem::path m_volume;
    QSet<QString> m_reading; // asked for and not yet in the cache
    QSet<QString> m_none;    // read, and no cover was found
    QThreadPool m_pool;
};
