// Noticing the reader being plugged in or removed while the window is open, without the user doing anything.
#include "TForm1.h"

#include "DatabaseFileWatch.h"

#include "Utf8Text.h"
#include "VolumeSource.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// Often enough to notice a reader within two seconds; a look at the mounted volumes costs well under a millisecond.
constexpr int kReaderLookInterval = 1000;

} // namespace

void TForm1::WatchForReader() {
    const auto look = [this] { Guarded([this] { LookForReader(); }); };
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, look);
    timer->start(kReaderLookInterval);
    // Where the volume source gives a sign of change, a reader is seen at once; the timer stays for sources that give
    // none.
    if (const std::filesystem::path signal = m_volumes->ChangeSignalFile(); !signal.empty()) {
        auto* watched = new QFile(FromPath(signal), this);
        if (watched->open(QIODevice::ReadOnly)) {
            auto* changed = new QSocketNotifier(watched->handle(), QSocketNotifier::Exception, watched);
            connect(changed, &QSocketNotifier::activated, this, look);
        }
    }
    QTimer::singleShot(0, this, look);
}

void TForm1::LookForReader() {
    // The status belongs to the running action; the next look tells what changed meanwhile.
    if (m_busy)
        return;
    const QString root = FindReaderRoot();
    if (root == m_connectedReader)
        return;
    m_connectedReader = root;
    loaddatabase1Click();     // the menu's entries as they would show now
    m_databaseWatch->Rearm(); // a database on the reader is back in its folder
    if (root.isEmpty()) {
        loadReaderButton->hide();
        ShowOutcome("reader disconnected");
        return;
    }
    ShowOutcome("reader connected: " + root);
    ReaderConnected();
}
