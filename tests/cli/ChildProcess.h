#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What a finished child process left behind.
struct ChildResult {
    int exitStatus = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A child process started and not yet waited for, with where its output goes.
struct StartedChild {
    int pid = -1;
    std::filesystem::path outFile;
    std::filesystem::path errFile;
};

// Starts program as RunChild does, its output into files in captureFolder; WaitForChild waits for it and reads them.
StartedChild StartChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                        const std::filesystem::path& workingFolder, const std::filesystem::path& captureFolder);
ChildResult WaitForChild(const StartedChild& child);

// Runs program with arguments in workingFolder, with LC_ALL=C.UTF-8, and waits for it. With outputFile (such as
// /dev/full), standard output goes there instead of into out.
ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingFolder, const std::filesystem::path& outputFile = {});
