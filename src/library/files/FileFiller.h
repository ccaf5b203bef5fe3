#pragma once

#include <filesystem>
#include <functional>

class TemporaryFile;

// Writes a new file's bytes, piece by piece, through TemporaryFile::Write; raises EFileError (RaiseFileError) naming
// name, the file it is to become, when a write fails.
using FileFiller = std::function<void(TemporaryFile& file, const std::filesystem::path& name)>;
