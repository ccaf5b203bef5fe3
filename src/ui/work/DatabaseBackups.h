#pragma once

#include <QFuture>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// How one backup ended.
struct BackupOutcome {
    QString status; // where the backup went; empty when there was no database file
    QString error;  // why there is none
    bool stopped = false;
};

// Backups of a database beside the window, which stays free to use meanwhile: a reader's database over USB can take
// seconds to read. Backups that run at once share one Cancel.
class DatabaseBackups : public QObject {
    Q_OBJECT

public:
    explicit DatabaseBackups(QObject* parent = nullptr) : QObject(parent) {}

    // Starts a backup of database into folder, the backup then added to the archive (empty: none); ended runs on the
    // window's thread once it ends, after Running counts it no more.
    void Start(const QString& database, const QString& folder, const QString& archive,
               std::function<void(const BackupOutcome&)> ended);
    // Starts a backup of the other readers' files on the reader at root (KOReader's sidecars, a Kindle's clippings)
    // into folder, each file of a sane size (ReaderFilesBackup.h); the status names what was left out.
    void StartReaderFiles(const QString& root, const QString& folder, std::function<void(const BackupOutcome&)> ended);
    bool Running() const { return m_running > 0; }
    // Whether the running backups were asked to stop.
    bool Stopping() const { return m_stop && *m_stop; }
    // Cancel: the copies stop between their runs of pages; what they began is removed.
    void Stop();
    // The threads the copies run on; a test holds them to catch a backup before it begins.
    QThreadPool& Threads() { return m_threads; }

private:
    void Watch(QFuture<BackupOutcome> backup, std::function<void(const BackupOutcome&)> ended);

    int m_running = 0;
    std::shared_ptr<std::atomic<bool>> m_stop; // the running backups' Cancel
    QThreadPool m_threads;                     // not Qt's global pool, which the window's painting waits for
};
