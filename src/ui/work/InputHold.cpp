#include "InputHold.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWindow>

InputHold::InputHold(QPushButton& cancel, QKeySequence quitKeys, std::function<void()> quit)
    : m_cancel(cancel), m_quitKeys(std::move(quitKeys)), m_quit(std::move(quit)) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    qApp->installEventFilter(this);
}

InputHold::~InputHold() {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
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

bool InputHold::ForCancel(const QObject* watched, const QEvent* event) const {
    if (qobject_cast<const QWindow*>(watched) == nullptr || !event->isPointerEvent() || !m_cancel.isVisible())
        return false;
    // A press on Cancel is released wherever the pointer went, so that the button does not stay down.
    if (event->type() == QEvent::MouseButtonRelease && m_cancel.isDown())
        return true;
    const QPointF global = static_cast<const QPointerEvent*>(event)->points().value(0).globalPosition();
    return m_cancel.rect().contains(m_cancel.mapFromGlobal(global.toPoint()));
}
