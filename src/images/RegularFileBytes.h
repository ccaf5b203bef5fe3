#pragma once

#include <QByteArray>

#include <cstdint>
#include <filesystem>
#include <optional>

// The bytes of a regular file of at most most bytes, read without waiting: a FIFO, a device or a folder in its place
// gives nothing, and so does a file that cannot be read or is larger.
std::optional<QByteArray> RegularFileBytes(const std::filesystem::path& file, std::uintmax_t most);
