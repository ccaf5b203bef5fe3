#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The reader's own volume where the database is the one on it (ROOT/.kobo/KoboReader.sqlite gives ROOT); nothing for
// a database anywhere else (a backup, a copy), where the reader's files are not at hand.
std::optional<std::filesystem::path> ReaderVolumeOf(const std::filesystem::path& database);

// The book's file on that volume: a volume id file:///mnt/onboard/Books/A.epub is ROOT/Books/A.epub. Nothing for a
// store book (no file: id), a book on a memory card, an id that climbs out of the volume, or a file not there.
std::optional<std::filesystem::path> BookFileOnVolume(const std::filesystem::path& volumeRoot,
                                                      std::string_view volumeId);
