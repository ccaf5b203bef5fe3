#include "BackgroundRunner.h"

#include "InputHold.h"
#include "ProgressRelay.h"
#include "WindowProgress.h"

#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include <malloc.h>

#include <exception>
#include <thread>

namespace {

// Often enough for a progress bar that moves smoothly to the eye: 25 looks a second.
constexpr int kPassOnInterval = 40;

} // namespace

BackgroundRunner::BackgroundRunner(QPushButton& cancel, QProgressBar& bar, WindowProgress& progress,
                                   QKeySequence quitKeys, std::function<void()> quit, QObject* parent)
    : QObject(parent), m_cancel(cancel), m_bar(bar), m_progress(progress), m_quitKeys(std::move(quitKeys)),
      m_quit(std::move(quit)) {}

void BackgroundRunner::Run(const std::function<void(ProgressRelay&)>& work) {
    ProgressRelay relay;
    std::exception_ptr failure;
    QEventLoop loop;
    const InputHold hold(m_cancel, m_quitKeys, m_quit);
    m_closedWhileBusy = false;
    m_running = &relay;
    m_cancel.setEnabled(true);
    m_cancel.show();
    m_bar.show();
    const auto notBusy = qScopeGuard([this] {
        m_running = nullptr;
        m_cancel.hide();
        m_bar.hide();
        emit Ended();
    });
    const auto passOn = [&] { relay.PassOn(m_progress, [this](std::size_t steps) { m_progress.Advance(steps); }); };
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

void BackgroundRunner::Stop() {
    if (m_running != nullptr)
        m_running->RequestStop();
}
