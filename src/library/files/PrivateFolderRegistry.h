#pragma once

#include <filesystem>

// The private folders alive in this process, in a fixed table that a signal handler may read: a reading ended by
// Ctrl+C, a logout or kill leaves no copy of a database in the temporary folder.

// Makes SIGINT, SIGTERM and SIGHUP remove the live private folders before they end the process as they would have
// (its status still says which signal ended it). A signal that the process was started to ignore (nohup), or that
// already has a handler of its own, is left as it is. The front ends call this once, at start, before any thread.
void RemovePrivateFoldersOnSignals();

// A slot for the folder, or -1 when the table is full: that folder is then removed only by its owner or, once the
// process is gone, as stale.
int RegisterPrivateFolder(const std::filesystem::path& folder);
void UnregisterPrivateFolder(int slot);
