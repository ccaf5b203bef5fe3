#include "ProgramFolders.h"

#include "UserFolders.h"

#include <QDir>
#include <QFileInfo>

QString DefaultProgramFolder(const QString& executableFolder) {
    // Asks the system (access(2)), so a read-only mount counts as read-only too.
    if (QFileInfo(executableFolder).isWritable())
        return executableFolder;
    const QString data = QString::fromStdString(UserDataFolder().string());
    // One that cannot be made shows up later, when an export cannot write its file.
    QDir().mkpath(data);
    return data;
}
