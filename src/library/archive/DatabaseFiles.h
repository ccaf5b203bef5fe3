#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// What a database file and its -wal look like from outside, and the SHA-256 of their bytes: a database added once is
// known again by the first without reading it, and by the second under any name.
struct DatabaseFiles {
    std::filesystem::path path; // absolute, links resolved
    std::int64_t fileSize = 0;
    std::string fileTime;
    std::int64_t walSize = 0; // 0 and empty without a -wal
    std::string walTime;

    static DatabaseFiles Of(const std::filesystem::path& database);
    // Raises EFileError when a file cannot be read.
    std::string Sha256() const;
};
