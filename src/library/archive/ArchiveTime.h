#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

// The archive writes every instant as UTC text with milliseconds, 2026-12-07T10:24:32.123Z: readable, and ordered as
// text is ordered.
std::string ArchiveTimeText(std::chrono::system_clock::time_point instant);
std::string ArchiveTimeText(std::time_t seconds);
// The file's modification time so written; empty when it cannot be read.
std::string FileTimeText(const std::filesystem::path& file);
