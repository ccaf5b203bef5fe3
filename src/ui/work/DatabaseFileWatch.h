#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when the loaded database file changes on disk: written through its write-ahead log, replaced by a new copy,
// or back on a reader plugged in again with other contents. Bursts of changes are told once, when they settle; a file
// that only went away (a reader unplugged) or came back as it was is no change.
class DatabaseFileWatch : public QObject {
    Q_OBJECT

public:
    explicit DatabaseFileWatch(QObject* parent = nullptr);

    // The file to follow from now on, as it is now; empty follows none.
    void Follow(const QString& database);
    // Looks again for the file and its folder, which come back with a reader plugged in again.
    void Rearm();

    static constexpr int kSettleMilliseconds = 400;

signals:
    void Changed();

private:
    QString Fingerprint() const;
    void Settled();

    QString m_database;
    QString m_seen; // the fingerprint of the file as last loaded or told
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
