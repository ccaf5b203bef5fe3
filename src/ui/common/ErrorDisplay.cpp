#include "ErrorDisplay.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <exception>

QString ApplicationTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    name = name.left(name.indexOf('.'));
    return name.left(1) + name.mid(1).toLower();
}

QString ErrorBoxText(const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back().unicode() > u'.')
        text += '.';
    text.replace('\r', '\n');
    return text;
}

void ShowErrorDisplay(QWidget* parent, const QString& message) {
    ShowMessageBox(parent, {MessageBoxRequest::Icon::Critical,
                            ApplicationTitle(QCoreApplication::applicationFilePath()), ErrorBoxText(message)});
}

void RunGuarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorDisplay(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorDisplay(parent, QStringLiteral("Unknown error"));
    }
}
