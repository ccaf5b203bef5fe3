#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class VolumeSource;

// Notices the reader being plugged in or removed while the window is open, without the user doing anything.
class ReaderWatcher : public QObject {
    Q_OBJECT

public:
    // volumes: the mounted volumes to search; held: while it says so (work runs and owns the status), a change waits
    // for the next look.
    ReaderWatcher(std::shared_ptr<const VolumeSource> volumes, std::function<bool()> held, QObject* parent = nullptr);

    // Looks now and from now on.
    void Start();
    // The reader's root as last told; empty while none is connected.
    QString Connected() const { return m_connected; }
    // The reader's root as found now; empty when none is there.
    QString FindRoot() const;

signals:
    // The reader found differs from the one told before: root is the new one, empty when it was removed.
    void Changed(const QString& root);

private:
    void Look();

    std::shared_ptr<const VolumeSource> m_volumes;
    std::function<bool()> m_held;
    QString m_connected;
};
