#pragma once

#include "BookCover.h"

#include <filesystem>
#include <string>

// Where a copy of the cover goes in folder: name + the picture's extension, where that is free or holds these bytes
// already, else the first of name_0001, name_0002... that is: a file of the name with other bytes (a user's own) is
// never replaced. Empty where every name is taken.
std::filesystem::path CoverCopyName(const BookCover& cover, const std::filesystem::path& folder,
                                    const std::string& name);

// Writes the cover there (the folder made where missing), unless the file holds its bytes already; atomically, so
// that a failure leaves no half picture. Raises EFileError.
void WriteCoverCopy(const BookCover& cover, const std::filesystem::path& file);
