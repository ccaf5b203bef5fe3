#pragma once

#include "EFileError.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Makes file hold exactly the lines, each followed by lineEnd. They go to a new file in the same folder first, which
// then takes the name, so the name never shows a half-written file and a failure leaves no new file behind.
// Raises EFileError.
void ReplaceFile(const std::filesystem::path& file, const std::vector<std::string>& lines, std::string_view lineEnd);
// The same for a file's bytes in one piece.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);
