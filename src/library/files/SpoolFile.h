#pragma once

#include "ScopedDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

class TemporaryFile;

// A file without a name in a folder, holding bytes for a while: it is gone once closed, also when the program dies.
class SpoolFile {
public:
    // Raises EFileError when the folder has no room for one.
    explicit SpoolFile(const std::filesystem::path& folder);

    // Appends the bytes and returns where they start. Raises EFileError.
    std::uint64_t Append(std::string_view bytes);
    // Writes length bytes from offset on into file, through TemporaryFile::Write. Raises EFileError naming name.
    void CopyTo(TemporaryFile& file, const std::filesystem::path& name, std::uint64_t offset,
                std::uint64_t length) const;

private:
    std::filesystem::path m_folder;
    ScopedDescriptor m_fd;
    std::uint64_t m_size = 0;
};
