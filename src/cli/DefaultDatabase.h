#pragma once

#include "VolumeSource.h"

#include <filesystem>

// The database read when none is named: the reader's, when a reader is mounted and holds one, else the copy
// KoboReader.sqlite in currentFolder (which need not exist).
std::filesystem::path DefaultDatabasePath(const VolumeSource& volumes, const std::filesystem::path& currentFolder);
