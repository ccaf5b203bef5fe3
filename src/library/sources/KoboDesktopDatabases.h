#pragma once

#include <filesystem>
#include <vector>

// Where the Kobo desktop app keeps its library (Kobo.sqlite, the same tables as a reader's database) on this machine:
// under Wine (each prefix's users, in AppData/Local, or Local Settings/Application Data and Application Data as older
// Windows versions named them), in a Windows user folder seen from WSL, and the macOS folder of a home shared with a
// Mac. Those that exist, in that order.
std::vector<std::filesystem::path> KoboDesktopDatabases(const std::filesystem::path& home,
                                                        const std::vector<std::filesystem::path>& winePrefixes,
                                                        const std::filesystem::path& windowsUsers = "/mnt/c/Users");

// The Wine prefixes of the user: $WINEPREFIX where set, and ~/.wine.
std::vector<std::filesystem::path> UserWinePrefixes(const std::filesystem::path& home);
