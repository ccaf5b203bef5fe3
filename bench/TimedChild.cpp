#include "TimedChild.h"

#include "AnonymousMemory.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

// The process that GNU time started: its only child.
pid_t ChildOf(pid_t parent) {
    const std::string task = std::to_string(parent);
    std::ifstream children("/proc/" + task + "/task/" + task + "/children");
    pid_t child = -1;
    return children >> child ? child : -1;
}

} // namespace

ChildFigure RunTimed(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                     const std::filesystem::path& outFile) {
    const std::string errFile = outFile.string() + ".err";
    // A child's ru_maxrss counts the memory of the process it was started from, this large one; GNU time starts it
    // from a small one and writes down its own figures.
    const std::string figuresFile = outFile.string() + ".figures";
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M %U %S", "-o", figuresFile};
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
    // Sampled beside the wait, so that the wall time is not rounded up to a sampling step.
    std::atomic<bool> ended{false};
    double anonPeakKb = 0;
    std::thread sampler([&] {
        pid_t child = -1;
        while (!ended.load()) {
            if (child < 0)
                child = ChildOf(pid);
            if (child > 0)
                anonPeakKb = std::max(anonPeakKb, AnonymousKb(child));
            std::this_thread::sleep_for(std::chrono::milliseconds(4));
        }
    });
    int status = 0;
    const pid_t waited = waitpid(pid, &status, 0);
    ended = true;
    sampler.join();
    if (waited != pid)
        throw std::runtime_error("lost " + argv[0]);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " failed; see " + errFile);
    double peakKb = 0, user = 0, system = 0;
    std::ifstream(figuresFile) >> peakKb >> user >> system;
    return {took.count(), user + system, peakKb / 1024.0, anonPeakKb / 1024.0};
}
