#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The least work that reading the same rows takes: plain sqlite3 calls with no lists, orders or copies. Each returns
// a checksum of the bytes touched, so that no read can be optimised away.

// Steps through "SELECT VolumeID, StartContainerChildIndex FROM Bookmark" and
// "SELECT BookID, BookTitle, ContentID, Attribution FROM content", touching each column's text.
std::uint64_t LoadFloor(const std::filesystem::path& database);

// Steps through the Bookmark rows and content rows that the library tab's overview reads (where the database has
// them: the generated library has no Color), touching each column's text.
std::uint64_t OverviewFloor(const std::filesystem::path& database);

// Reads the volume's bookmark rows with Text and Annotation in one query and its parts' content rows in one query,
// then writes fileSize bytes made from them to file.
std::uint64_t ExportFloor(const std::filesystem::path& database, const std::string& volumeId,
                          const std::filesystem::path& file, std::size_t fileSize);
