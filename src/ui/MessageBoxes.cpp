#include "MessageBoxes.h"

#include <QMessageBox>

namespace {

MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    if (CurrentHandler()) {
        CurrentHandler()(request);
        return;
    }
    QMessageBox box(request.icon == MessageBoxRequest::Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    request.caption, request.text, QMessageBox::Ok, parent);
    box.exec();
}
