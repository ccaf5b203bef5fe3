#include "DatabaseFileWatch.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

// Size and time of a file, or nothing when it is not there.
QString Stamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("-");
    return QString::number(info.size()) + '@' + QString::number(info.lastModified().toMSecsSinceEpoch());
}

} // namespace

DatabaseFileWatch::DatabaseFileWatch(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &DatabaseFileWatch::Settled);
    // A file replaced by renaming drops out of the watch: each change arms it again.
    const auto changed = [this] {
        Rearm();
        m_settle.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
}

void DatabaseFileWatch::Follow(const QString& database) {
    if (const QStringList watched = m_watcher.files() + m_watcher.directories(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    m_settle.stop();
    m_database = database;
    m_seen = database.isEmpty() ? QString() : Fingerprint();
    Rearm();
}

void DatabaseFileWatch::Rearm() {
    if (m_database.isEmpty())
        return;
    // The folder tells of a log or a new copy appearing; the files of writes in place.
    for (const QString& path : {QFileInfo(m_database).path(), m_database, m_database + "-wal"})
        if (QFileInfo::exists(path) && !m_watcher.files().contains(path) && !m_watcher.directories().contains(path))
            m_watcher.addPath(path);
}

QString DatabaseFileWatch::Fingerprint() const {
    return Stamp(m_database) + ' ' + Stamp(m_database + "-wal");
}

void DatabaseFileWatch::Settled() {
    if (m_database.isEmpty() || !QFileInfo(m_database).isFile())
        return;
    const QString now = Fingerprint();
    if (now == m_seen)
        return;
    m_seen = now;
    emit Changed();
}
