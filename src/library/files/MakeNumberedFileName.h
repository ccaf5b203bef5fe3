#pragma once

#include <filesystem>
#include <string>

// target without its last extension (without extension, where the target ends in it), + "_" + 0000..9999 +
// extension: the first that names no existing file (a folder of that name does not count as one, a symbolic link
// does); empty when all are taken.
std::filesystem::path MakeNumberedFileName(const std::filesystem::path& target, const std::string& extension);
