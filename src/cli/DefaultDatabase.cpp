#include "DefaultDatabase.h"

#include "ReaderVolume.h"

#include <system_error>

std::filesystem::path DefaultDatabasePath(const VolumeSource& volumes, const std::filesystem::path& currentFolder) {
    const std::filesystem::path reader = FindReaderVolume(volumes);
    if (!reader.empty()) {
        std::filesystem::path database = ReaderDatabasePath(reader);
        std::error_code error;
        if (std::filesystem::is_regular_file(database, error))
            return database;
    }
    return currentFolder / "KoboReader.sqlite";
}
