#pragma once

#include "ReadersByFiles.h"

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
    // The Kobo reader's root as found now (by its label, else by its database whatever the label); empty when none is
    // there.
    QString FindRoot() const;
    // The readers holding other readers' highlights (KOReader's folder, a Kindle's clippings) as last told.
    const std::vector<ReaderByFiles>& OtherReaders() const { return m_others; }

signals:
    // The reader found differs from the one told before: root is the new one, empty when it was removed.
    void Changed(const QString& root);
    // The readers holding other readers' highlights differ from those told before.
    void OthersChanged();

private:
    void Look();

    std::shared_ptr<const VolumeSource> m_volumes;
    std::function<bool()> m_held;
    QString m_connected;
    std::vector<ReaderByFiles> m_others;
};
