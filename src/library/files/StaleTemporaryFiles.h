#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The name of a file that ReplaceFile writes before it takes the target's name: ".marvik-<digits>.tmp".
std::string TemporaryFileName(std::uint64_t number);
bool IsTemporaryFileName(std::string_view name);

// Removes from folder the temporary files that a write killed on its way (a signal, a power cut) left behind. A live
// writer holds an exclusive flock on its file for as long as the file has its name, and a file younger than a minute
// may belong to a writer between creating and locking it: only files that are neither are removed. Each folder is
// looked through at most once per process, as one run may write thousands of files into it. Failures are ignored:
// a leftover is no reason to fail a write.
void RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

// Removes from the temporary folder the private folders (PrivateFolder.h) of this user that no living process holds:
// what a reading ended by a crash, kill -9 or a power cut left behind. Looked through once per process. Failures are
// ignored: a leftover is no reason to fail a reading.
void RemoveStalePrivateFolders();
