#include "ShellOpen.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

constexpr int kFileManagerTimeoutMs = 5000;

bool AskFileManagerToShow(const QString& file) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

void ShellOpen(const QString& target) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

void OpenFolderAndSelect(const QString& file) {
    if (!AskFileManagerToShow(file))
        ShellOpen(QFileInfo(file).absolutePath());
}
