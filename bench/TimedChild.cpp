#include "TimedChild.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

extern char** environ;

ChildFigure RunTimed(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                     const std::filesystem::path& outFile) {
    const std::string errFile = outFile.string() + ".err";
    // A child's ru_maxrss counts the memory of the process it was started from, this large one; GNU time starts it
    // from a small one and writes down its own figure.
    const std::string peakFile = outFile.string() + ".peak";
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
    timed.insert(timed.end(), argv.begin(), argv.end());
    std::vector<char*> pointers;
    for (const std::string& argument : timed)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int started = posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        throw std::runtime_error("lost " + argv[0]);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " failed; see " + errFile);
    double peakKb = 0;
    std::ifstream(peakFile) >> peakKb;
    return {took.count(), peakKb / 1024.0};
}
