#pragma once

#include "VolumeSource.h"

#include <filesystem>
#include <string_view>

// The label of the reader's storage volume.
inline constexpr std::string_view kReaderVolumeLabel = "KOBOeReader";
// The file name of the reader's database, on the reader and for a copy of it.
inline constexpr std::string_view kReaderDatabaseFileName = "KoboReader.sqlite";

// The root of the first volume, in the source's order, whose label (UTF-8) reads as label once both are upper-cased,
// at equal length: "koboereader" matches "KOBOeReader", "KOBOeReader2" and "KOBOeReader " do not. Empty when none.
std::filesystem::path FindVolumeByLabel(const VolumeSource& volumes, std::string_view label);

// The root of the first volume labelled as the reader; empty when no reader is mounted.
std::filesystem::path FindReaderVolume(const VolumeSource& volumes);

// Where the reader keeps its database below the root of its volume.
std::filesystem::path ReaderDatabasePath(const std::filesystem::path& root);
