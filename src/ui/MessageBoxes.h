#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every modal box of the program goes through here, so that tests can take the boxes instead of a person.
struct MessageBoxRequest {
    enum class Icon { None, Critical };
    Icon icon = Icon::None;
    QString caption;
    QString text;
};

using MessageBoxHandler = std::function<void(const MessageBoxRequest&)>;

// Replaces the handler (an empty one restores the real boxes); returns the one it replaced.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a box with one OK button and waits until it is closed.
void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);
