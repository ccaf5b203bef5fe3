#include "KoboImages.h"

#include <array>
#include <cstdint>
#include <system_error>

namespace {

// Largest first: an export shows the sharpest, the table scales it down.
constexpr std::array<std::string_view, 5> kSizes = {" - N3_FULL.parsed", " - N3_LIBRARY_FULL.parsed",
                                                    " - N3_LIBRARY_GRID.parsed", " - N3_LIBRARY_LIST.parsed",
                                                    " - NickelBookCover.parsed"};

std::uint32_t ImageIdHash(std::string_view imageId) {
    std::uint32_t hash = 0;
    for (const char c : imageId) {
        hash = (hash << 4) + static_cast<unsigned char>(c);
        hash ^= (hash & 0xf0000000U) >> 23;
        hash &= 0x0fffffffU;
    }
    return hash;
}

std::optional<std::filesystem::path> FirstThere(const std::filesystem::path& folder, std::string_view imageId) {
    for (const std::string_view size : kSizes) {
        std::filesystem::path file = folder / (std::string(imageId) + std::string(size));
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            return file;
    }
    return std::nullopt;
}

} // namespace

std::string KoboImageFolders(std::string_view imageId) {
    const std::uint32_t hash = ImageIdHash(imageId);
    return std::to_string(hash & 0xffU) + "/" + std::to_string((hash >> 8) & 0xffU);
}

std::optional<std::filesystem::path> FindKoboImagesCover(const std::filesystem::path& volumeRoot,
                                                         std::string_view imageId) {
    if (imageId.empty() || imageId.find_first_of("/\\") != std::string_view::npos ||
        imageId.find("..") != std::string_view::npos)
        return std::nullopt;
    if (std::optional<std::filesystem::path> file =
            FirstThere(volumeRoot / ".kobo-images" / KoboImageFolders(imageId), imageId))
        return file;
    return FirstThere(volumeRoot / ".kobo" / "images", imageId);
}
