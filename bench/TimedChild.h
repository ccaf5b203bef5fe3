#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A whole process as a user starts it: its wall time from start to exit, the processor time it took, and its own peak
// memory.
struct ChildFigure {
    double seconds = 0;
    double cpuSeconds = 0; // user + system, of the process and its threads: what a busy machine does not inflate
    double peakMb = 0;     // the child's own peak resident memory (ru_maxrss), pages of mapped files included
    // The highest anonymous resident memory (RssAnon) seen while it ran, sampled every few milliseconds: the program's
    // own memory, without the pages of the files it maps or the libraries it loads.
    double anonPeakMb = 0;
};

// Runs argv (argv[0] looked up on PATH when it names no folder) in folder, its standard output going to outFile and
// its errors to outFile + ".err"; throws when it cannot start or does not exit with status 0.
ChildFigure RunTimed(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                     const std::filesystem::path& outFile);
