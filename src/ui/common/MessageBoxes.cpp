#include "MessageBoxes.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>

#include <algorithm>

namespace {

MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

OpenFileHandler& CurrentOpenFileHandler() {
    static OpenFileHandler handler;
    return handler;
}

// A read-only text that wraps at word boundaries, or anywhere in a word too long for a line (a path), and is exactly
// as high as its wrapped lines up to the given limit, beyond which it scrolls.
QTextEdit* WrappedText(const QString& text, int width, int maximumHeight) {
    auto* view = new QTextEdit;
    view->setObjectName("MessageText");
    view->setReadOnly(true);
    view->setFrameShape(QFrame::NoFrame);
    view->viewport()->setAutoFillBackground(false);
    view->setLineWrapMode(QTextEdit::WidgetWidth);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setPlainText(text);
    view->setFixedWidth(width);
    view->document()->setTextWidth(view->viewport()->width());
    const int height = static_cast<int>(view->document()->size().height()) + 2 * view->frameWidth();
    view->setFixedHeight(std::min(height, maximumHeight));
    return view;
}

} // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

std::unique_ptr<QDialog> MakeMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    auto box = std::make_unique<QDialog>(parent);
    box->setWindowTitle(request.caption);
    const QScreen* screen = parent != nullptr ? parent->screen() : QApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int textWidth = std::min(520, room.width() * 2 / 3);

    auto* row = new QHBoxLayout;
    if (request.icon == MessageBoxRequest::Icon::Critical) {
        auto* icon = new QLabel;
        const int size = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box.get());
        icon->setPixmap(box->style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(size, size));
        row->addWidget(icon, 0, Qt::AlignTop);
    }
    row->addWidget(WrappedText(request.text, textWidth, room.height() / 2));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    auto* column = new QVBoxLayout(box.get());
    column->addLayout(row);
    column->addWidget(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    return box;
}

void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    if (CurrentHandler()) {
        CurrentHandler()(request);
        return;
    }
    MakeMessageBox(parent, request)->exec();
}

OpenFileHandler SetOpenFileHandler(OpenFileHandler handler) {
    return std::exchange(CurrentOpenFileHandler(), std::move(handler));
}

QString ChooseFileToOpen(QWidget* parent, const OpenFileRequest& request) {
    if (CurrentOpenFileHandler())
        return CurrentOpenFileHandler()(request);
    return QFileDialog::getOpenFileName(parent, request.caption, request.folder, request.filter);
}

QString ChooseFolder(QWidget* parent, OpenFileRequest request) {
    request.folders = true;
    if (CurrentOpenFileHandler())
        return CurrentOpenFileHandler()(request);
    return QFileDialog::getExistingDirectory(parent, request.caption, request.folder);
}
