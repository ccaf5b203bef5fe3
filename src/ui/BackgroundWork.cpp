// Long actions (loading, "export all books") run on a thread of their own, so that the window keeps painting its
// status and progress and hears a close request meanwhile. The window takes no other input until they end, as
// when they blocked it.
#include "TForm1.h"

#include "ProgressRelay.h"
#include "WindowProgress.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>

#include <exception>
#include <thread>

namespace {

// Often enough for a progress bar that moves smoothly to the eye: 25 looks a second.
constexpr int kPassOnInterval = 40;

// Keys, clicks and drops wait for nothing while the work runs: they are dropped, and a busy cursor says why.
// A close request is no input here: it goes through.
class InputHold : public QObject {
public:
    InputHold() {
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
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
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
};

} // namespace

void TForm1::RunInBackground(const std::function<void(ProgressReporter&)>& work) {
    ProgressRelay relay;
    std::exception_ptr failure;
    QEventLoop loop;
    const InputHold hold;
    m_busy = true;
    m_closedWhileBusy = false;
    const auto notBusy = qScopeGuard([this] { m_busy = false; });
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
    passOn();
    if (failure)
        std::rethrow_exception(failure);
}
