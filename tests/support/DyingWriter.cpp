#include "DyingWriter.h"

#include "FileContents.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace fixture {

namespace {

void DieWhileWriting(const std::filesystem::path& database, const std::string& sql) {
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fixture: cannot fork");
    if (child == 0) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        ::_exit(ok ? 0 : 1); // no close: neither checkpoint nor rollback
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("fixture: the dying writer failed on " + sql);
}

} // namespace

void LeaveCommittedWal(const std::filesystem::path& database, const std::string& sql) {
    DieWhileWriting(database, "PRAGMA wal_autocheckpoint=0; " + sql);
}

void LeaveHotJournal(const std::filesystem::path& database, const std::string& sql) {
    DieWhileWriting(database, "PRAGMA cache_size=1; BEGIN; " + sql);
}

std::string FolderState(const std::filesystem::path& folder) {
    std::string state;
    for (const std::string& name : FolderNames(folder)) {
        struct stat status {};
        ::stat((folder / name).c_str(), &status);
        state += name + " " + std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec) +
                 " " + std::to_string(status.st_mode) + " " + std::to_string(FileBytes(folder / name).size()) + " " +
                 std::to_string(std::hash<std::string>()(FileBytes(folder / name))) + "\n";
    }
    return state;
}

} // namespace fixture
