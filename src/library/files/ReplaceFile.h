#pragma once

#include "EFileError.h"
#include "FileFiller.h"

#include <filesystem>
#include <string_view>

// Makes file hold exactly the bytes. They go to a new file first, which then takes the name, so the name never shows a
// half-written file and a failure leaves no new file behind. Raises EFileError.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

// The same, the file's bytes written by contents.
void ReplaceFile(const std::filesystem::path& file, const FileFiller& contents);

// The same, the new file made by make.
void ReplaceFile(const std::filesystem::path& file, const FileMaker& make);
