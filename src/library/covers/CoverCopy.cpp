#include "CoverCopy.h"

#include "EFileError.h"
#include "ReplaceFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

bool HoldsBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size != bytes.size())
        return false;
    std::ifstream in(file, std::ios::binary);
    return std::equal(bytes.begin(), bytes.end(), std::istreambuf_iterator<char>(in));
}

} // namespace

std::filesystem::path CoverCopyName(const BookCover& cover, const std::filesystem::path& folder,
                                    const std::string& name) {
    const std::string extension(PictureExtension(cover.facts.kind));
    std::filesystem::path file = folder / (name + extension);
    for (int number = 1; number <= 9999; ++number) {
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)) || HoldsBytes(file, cover.bytes))
            return file;
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "_%04d", number);
        file = folder / (name + suffix + extension);
    }
    return {};
}

void WriteCoverCopy(const BookCover& cover, const std::filesystem::path& file) {
    if (HoldsBytes(file, cover.bytes))
        return;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        throw EFileError("the folder " + file.parent_path().string() + " cannot be made: " + error.message(),
                         error.value());
    ReplaceFile(file, cover.bytes);
}
