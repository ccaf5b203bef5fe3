#include "DefaultDatabase.h"

#include "ReaderConnection.h"
#include "ReaderVolume.h"

std::filesystem::path DefaultDatabasePath(const VolumeSource& volumes, const std::filesystem::path& currentFolder) {
    const std::filesystem::path reader = FindReaderVolume(volumes);
    if (!reader.empty()) {
        std::filesystem::path database = ReaderDatabasePath(reader);
        if (IsReaderDatabaseFile(database))
            return database;
    }
    return currentFolder / kReaderDatabaseFileName;
}
