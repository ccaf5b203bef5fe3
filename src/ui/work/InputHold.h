#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

class QPushButton;

// Keys, clicks and drops wait for nothing while the work runs: they are dropped, and a busy cursor says why.
// A close request is no input here: it goes through, and so do the quit keys (to quit), Escape and the Cancel button
// (to cancel).
class InputHold : public QObject {
public:
    InputHold(QPushButton& cancel, QKeySequence quitKeys, std::function<void()> quit);
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A click comes to the window first, which hands it to the widget under the pointer: one over Cancel goes on to
    // it (and comes back here addressed to the button), any other stops here.
    bool ForCancel(const QObject* watched, const QEvent* event) const;

    QPushButton& m_cancel;
    QKeySequence m_quitKeys;
    std::function<void()> m_quit;
};
