#pragma once

#include <filesystem>

// The default archive: archive.sqlite in the user's data folder.
inline std::filesystem::path DefaultArchivePath(const std::filesystem::path& userDataFolder) {
    return userDataFolder / "archive.sqlite";
}
