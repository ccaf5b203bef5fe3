#include "ChildProcess.h"

#include "TempFolder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

namespace {

int Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments,
          const std::filesystem::path& workingFolder, const std::string& outFile, const std::string& errFile) {
    const std::string folder = workingFolder.string();
    // Everything the child needs is made before the fork.
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp;
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp(*variable, "LC_ALL=", 7) != 0)
            envp.emplace_back(*variable);
    envp.emplace_back("LC_ALL=C.UTF-8");
    std::vector<char*> argPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(envp);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
            chdir(folder.c_str()) != 0)
            _exit(127);
        execve(argPointers[0], argPointers.data(), envPointers.data());
        _exit(127);
    }
    return pid;
}

int ExitStatusOf(int pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        throw std::runtime_error("waitpid failed");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

StartedChild StartChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                        const std::filesystem::path& workingFolder, const std::filesystem::path& captureFolder) {
    StartedChild child{.pid = -1, .outFile = captureFolder / "out", .errFile = captureFolder / "err"};
    child.pid = Spawn(program, arguments, workingFolder, child.outFile.string(), child.errFile.string());
    return child;
}

ChildResult WaitForChild(const StartedChild& child) {
    ChildResult result;
    result.exitStatus = ExitStatusOf(child.pid);
    result.out = FileText(child.outFile);
    result.err = FileText(child.errFile);
    return result;
}

ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingFolder, const std::filesystem::path& outputFile) {
    // The output goes to files, so neither stream can fill up and stall the child.
    const TempFolder capture;
    const std::string outFile = (outputFile.empty() ? capture / "out" : outputFile).string();
    const std::string errFile = (capture / "err").string();
    ChildResult result;
    result.exitStatus = ExitStatusOf(Spawn(program, arguments, workingFolder, outFile, errFile));
    result.out = outputFile.empty() ? FileText(outFile) : "";
    result.err = FileText(errFile);
    return result;
}
