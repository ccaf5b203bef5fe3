#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A whole process as a user starts it: its wall time from start to exit, and its own peak memory.
struct ChildFigure {
    double seconds = 0;
    double peakMb = 0; // the child's own peak resident memory
};

// Runs argv (argv[0] looked up on PATH when it names no folder) in folder, its standard output going to outFile and
// its errors to outFile + ".err"; throws when it cannot start or does not exit with status 0.
ChildFigure RunTimed(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                     const std::filesystem::path& outFile);
