#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

class ProgressRelay;
class QProgressBar;
class QPushButton;
class WindowProgress;

// Long actions (loading, exports, a notes sync) run on a thread of their own, so that the window keeps painting its
// status and progress and hears Cancel and a close request meanwhile (the close button or the quit keys), which stop
// the work at its next clean point. The window takes no other input until they end, as when they blocked it. The one
// place that knows whether such work runs.
class BackgroundRunner : public QObject {
    Q_OBJECT

public:
    // cancel and bar: shown while work runs; progress: where the work's reports go; quit: what the quit keys do
    // meanwhile (the window's close).
    BackgroundRunner(QPushButton& cancel, QProgressBar& bar, WindowProgress& progress, QKeySequence quitKeys,
                     std::function<void()> quit, QObject* parent = nullptr);

    // Runs work while the window paints its progress and hears a close request, but takes no other input; returns
    // when the work is done, with its exception.
    void Run(const std::function<void(ProgressRelay&)>& work);
    // Whether work runs.
    bool Busy() const { return m_running != nullptr; }
    // Cancel, or a close request: the running work stops at its next clean point.
    void Stop();
    // The window is closing: the running work finishes unseen.
    void NoteClose() { m_closedWhileBusy = Busy(); }
    // Whether the window was closed while the last work ran: nothing it would open or show afterwards appears.
    bool ClosedWhileBusy() const { return m_closedWhileBusy; }

signals:
    // The work ended, also with an error: what runs beside it (backups) shows again.
    void Ended();

private:
    QPushButton& m_cancel;
    QProgressBar& m_bar;
    WindowProgress& m_progress;
    QKeySequence m_quitKeys;
    std::function<void()> m_quit;
    ProgressRelay* m_running = nullptr; // the work running, to stop
    bool m_closedWhileBusy = false;
};
