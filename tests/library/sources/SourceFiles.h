#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace fixture {

// The real files of other readers kept for the tests (tests/data/sources, with their licence).
inline std::filesystem::path SourcesData() {
    return MARVIK_SOURCES_DATA;
}

// Writes bytes to the file, making its folders.
inline void WriteSourceFile(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

} // namespace fixture
