#pragma once

#include "FileFiller.h"

#include <filesystem>
#include <string>
#include <string_view>

// Writes bytes to a new file under the name MakeNumberedFileName gives for target and extension, never replacing
// anything that has a name meanwhile: a file, a symbolic link (even one to a folder, or to nothing), another writer's
// file. Returns the name, or empty when every numbered name is taken. Raises EFileError when the file cannot be
// written, also when a folder has the chosen name.
std::filesystem::path WriteNumberedFile(const std::filesystem::path& target, const std::string& extension,
                                        std::string_view bytes);

// The same, the file's bytes written by contents.
std::filesystem::path WriteNumberedFile(const std::filesystem::path& target, const std::string& extension,
                                        const FileFiller& contents);

// The same, the new file made by make for the name first chosen.
std::filesystem::path WriteNumberedFile(const std::filesystem::path& target, const std::string& extension,
                                        const FileMaker& make);
