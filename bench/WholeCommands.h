#pragma once

#include <filesystem>

// Whole processes on the library file, as a user meets them: marvik-cli list and export --all, and the window
// (marvik-window-bench), each against its floor, all of them once a round, in turn, so that the machine's moods
// fall on each alike. Prints medians, ratios and peak memory; returns whether every goal was met.
bool WholeCommandFigures(const std::filesystem::path& database, const std::filesystem::path& workFolder, int rounds);
