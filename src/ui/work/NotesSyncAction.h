#pragma once

#include "ReaderLibrary.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class BackgroundRunner;
class OptionsTab;
class QWidget;
class StatusLine;

// "sync notes": the note of every listed book in the user's notes folder brought up to date, as the command line's
// sync does; also after the backup made when a reader is connected, when the options ask for it.
class NotesSyncAction : public QObject {
    Q_OBJECT

public:
    // options: the notes folder (chosen here the first time) and template set; readerLoaded: whether the library
    // loaded now is the connected reader's database.
    NotesSyncAction(QWidget& window, BackgroundRunner& runner, StatusLine& status, OptionsTab& options,
                    std::function<bool()> readerLoaded);

    void SetLibrary(std::shared_ptr<const ReaderLibrary> library) { m_library = std::move(library); }

    // Every listed book's note; the status tells what changed, after `before`. Throws what kept the sync from its end.
    void SyncNotes(const QString& before = {});
    // After a reader is connected: the reader's notes synced once the loaded database is the reader's and no other
    // work runs; the status tells why not otherwise.
    void SyncAfterConnect(const QString& before);

private:
    QWidget& m_window;
    BackgroundRunner& m_runner;
    StatusLine& m_status;
    OptionsTab& m_options;
    std::function<bool()> m_readerLoaded;
    std::shared_ptr<const ReaderLibrary> m_library;
};
