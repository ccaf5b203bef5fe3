#pragma once

#include <filesystem>

// The program's folders in the user's home, the same for the window and the command line whatever the executable is
// called: $XDG_DATA_HOME/marvik (~/.local/share/marvik) and $XDG_CONFIG_HOME/marvik (~/.config/marvik).
std::filesystem::path UserDataFolder();
std::filesystem::path UserConfigFolder();
// What the program keeps only to be faster, made again where it is gone: $XDG_CACHE_HOME/marvik (~/.cache/marvik).
std::filesystem::path UserCacheFolder();
// Where backups of the reader's database go unless another folder is named: backups/ in the user's data folder.
std::filesystem::path UserBackupFolder();
