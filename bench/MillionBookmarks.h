#pragma once

#include <filesystem>

// One book of a million highlights, crafted: the peak memory of marvik-cli exporting it in every format and mode,
// against the goal. True when every peak meets it.
bool MillionBookmarkFigures(const std::filesystem::path& work);
