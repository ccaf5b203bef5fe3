#include "ProgramFolders.h"

#include "UserFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Where packages install programs: results there would outlive the package, and root could write them.
bool InSystemLocation(const QString& folder) {
    const QString path = QFileInfo(folder).absoluteFilePath() + "/";
    return path.startsWith("/usr/") || path.startsWith("/opt/");
}

} // namespace

QString DefaultProgramFolder(const QString& executableFolder) {
    // Asks the system (access(2)), so a read-only mount counts as read-only too.
    if (!InSystemLocation(executableFolder) && QFileInfo(executableFolder).isWritable())
        return executableFolder;
    const QString data = QString::fromStdString(UserDataFolder().string());
    // One that cannot be made shows up later, when an export cannot write its file.
    QDir().mkpath(data);
    return data;
}
