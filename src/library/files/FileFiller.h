#pragma once

#include <filesystem>
#include <functional>
#include <memory>

class TemporaryFile;

// Writes a new file's bytes, piece by piece, through TemporaryFile::Write; raises EFileError (RaiseFileError) naming
// name, the file it is to become, when a write fails.
using FileFiller = std::function<void(TemporaryFile& file, const std::filesystem::path& name)>;

// Makes the new file that is to become name and writes it, or hands over one written before its name was known;
// raises EFileError naming name when it cannot be made or written.
using FileMaker = std::function<std::unique_ptr<TemporaryFile>(const std::filesystem::path& name)>;

// The maker of a new file filled by contents.
FileMaker MakeFilledFile(const FileFiller& contents);
