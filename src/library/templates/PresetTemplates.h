#pragma once

#include <span>
#include <string_view>

// A file of the template sets built into the program, from src/library/templates/presets/SET/FILE.
struct PresetFile {
    std::string_view set;
    std::string_view file;
    std::string_view text;
};

// Every preset file, embedded when the program is built.
std::span<const PresetFile> PresetFiles();
