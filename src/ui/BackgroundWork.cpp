// Long actions (loading, "export all books") run on a thread of their own, so that the window keeps painting its
// status and progress and hears Cancel and a close request meanwhile (the close button or the quit keys), which stop
// the work at its next clean point. The window takes no other input until they end, as when they blocked it.
#include "TForm1.h"

#include "ProgressRelay.h"
#include "WindowProgress.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QWindow>

#include <malloc.h>

#include <exception>
#include <thread>

namespace {

// Often enough for a progress bar that moves smoothly to the eye: 25 looks a second.
constexpr int kPassOnInterval = 40;

// Keys, clicks and drops wait for nothing while the work runs: they are dropped, and a busy cursor says why.
// A close request is no input here: it goes through, and so do the quit keys (to quit), Escape and the Cancel button
// (to cancel).
class InputHold : public QObject {
public:
    InputHold(QPushButton& cancel, QKeySequence quitKeys, std::function<void()> quit)
        : m_cancel(cancel), m_quitKeys(std::move(quitKeys)), m_quit(std::move(quit)) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        qApp->installEventFilter(this);
    }
    ~InputHold() override {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
    }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_cancel || ForCancel(watched, event))
            return false;
        switch (event->type()) {
        // A key is offered as a shortcut first, and arrives as a key press when it is none; either may come first
        // here, and acting twice is harmless.
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            const auto* key = static_cast<const QKeyEvent*>(event);
            if (QKeySequence(key->keyCombination()) == m_quitKeys)
                m_quit();
            else if (key->key() == Qt::Key_Escape)
                m_cancel.click();
            return true;
        }
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
        }
    }

private:
    // A click comes to the window first, which hands it to the widget under the pointer: one over Cancel goes on to
    // it (and comes back here addressed to the button), any other stops here.
    bool ForCancel(const QObject* watched, const QEvent* event) const {
        if (qobject_cast<const QWindow*>(watched) == nullptr || !event->isPointerEvent() || !m_cancel.isVisible())
            return false;
        // A press on Cancel is released wherever the pointer went, so that the button does not stay down.
        if (event->type() == QEvent::MouseButtonRelease && m_cancel.isDown())
            return true;
        const QPointF global = static_cast<const QPointerEvent*>(event)->points().value(0).globalPosition();
        return m_cancel.rect().contains(m_cancel.mapFromGlobal(global.toPoint()));
    }

    QPushButton& m_cancel;
    QKeySequence m_quitKeys;
    std::function<void()> m_quit;
};

} // namespace

void TForm1::RunInBackground(const std::function<void(ProgressRelay&)>& work) {
    ProgressRelay relay;
    std::exception_ptr failure;
    QEventLoop loop;
    const InputHold hold(*cancelWorkButton, quit1->shortcut(), [this] { close(); });
    m_busy = true;
    m_closedWhileBusy = false;
    m_running = &relay;
    cancelWorkButton->setEnabled(true);
    cancelWorkButton->show();
    ProgressBar1->show();
    const auto notBusy = qScopeGuard([this] {
        m_busy = false;
        m_running = nullptr;
        cancelWorkButton->hide();
        ProgressBar1->hide();
        ShowRunningBackups();
    });
    const auto passOn = [&] { relay.PassOn(*m_progress, [this](std::size_t steps) { m_progress->Advance(steps); }); };
    QTimer pump;
    pump.setInterval(kPassOnInterval);
    connect(&pump, &QTimer::timeout, &loop, passOn);
    pump.start();
    std::thread worker([&] {
        try {
            work(relay);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Ends early when the program quits (its window was closed); the work is still waited for.
    loop.exec();
    worker.join();
    // What the work freed goes back to the system: the next long work would otherwise add its own heap on another
    // thread's (a load reads the library tab's overview beside the lists, an export writes beside its reading).
    malloc_trim(0);
    passOn();
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::StopWork() {
    if (m_running == nullptr && m_backupsRunning == 0)
        return;
    if (m_running != nullptr)
        m_running->RequestStop();
    if (m_backupsRunning > 0)
        *m_backupStop = true;
    cancelWorkButton->setEnabled(false);
    TntLabel6->setText("stopping...");
}
