#include "BookFile.h"

#include <system_error>

std::optional<std::filesystem::path> ReaderVolumeOf(const std::filesystem::path& database) {
    const std::filesystem::path folder = database.parent_path();
    if (folder.filename() != ".kobo")
        return std::nullopt;
    return folder.parent_path();
}

std::optional<std::filesystem::path> BookFileOnVolume(const std::filesystem::path& volumeRoot,
                                                      std::string_view volumeId) {
    constexpr std::string_view kOnboard = "file:///mnt/onboard/";
    if (!volumeId.starts_with(kOnboard))
        return std::nullopt;
    const std::filesystem::path relative = std::filesystem::path(volumeId.substr(kOnboard.size())).lexically_normal();
    if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
        return std::nullopt;
    std::filesystem::path file = volumeRoot / relative;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    return file;
}
