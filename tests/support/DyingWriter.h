#pragma once

#include <filesystem>
#include <string>

namespace fixture {

// What a program leaves beside a database when it dies while writing, made by a child process that runs sql and
// ends without closing its connection.
// Committed frames in a -wal that nothing has checkpointed: the database must be in WAL mode.
void LeaveCommittedWal(const std::filesystem::path& database, const std::string& sql);
// A hot rollback journal, with the database file already part-written: sql runs in a transaction that never ends,
// with a cache so small that its pages go to the file at once.
void LeaveHotJournal(const std::filesystem::path& database, const std::string& sql);

// Every file of a folder with its bytes and modification time, to compare a folder before and after.
std::string FolderState(const std::filesystem::path& folder);

} // namespace fixture
