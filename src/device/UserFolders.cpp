#include "UserFolders.h"

#include <QStandardPaths>

namespace {

std::filesystem::path Below(QStandardPaths::StandardLocation location) {
    // The generic locations, not the application ones: those are named after the executable, and the window and the
    // command line are two executables of one program.
    return std::filesystem::path(QStandardPaths::writableLocation(location).toStdString()) / "marvik";
}

} // namespace

std::filesystem::path UserDataFolder() {
    return Below(QStandardPaths::GenericDataLocation);
}

std::filesystem::path UserConfigFolder() {
    return Below(QStandardPaths::GenericConfigLocation);
}

std::filesystem::path UserCacheFolder() {
    return Below(QStandardPaths::GenericCacheLocation);
}

std::filesystem::path UserBackupFolder() {
    return UserDataFolder() / "backups";
}
