#pragma once

#include "ProgressReporter.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the archive holds, for `archive status`.
struct ArchiveStatus {
    std::filesystem::path archive;
    bool exists = false; // no archive was made there yet: everything below is 0
    std::size_t readers = 0;
    std::size_t books = 0;
    std::size_t highlights = 0; // highlights, notes, drawings and page bookmarks alike
    std::size_t gone = 0;       // of those, gone from the reader they came from
    std::size_t sessions = 0;
    struct Source {
        std::string path;
        std::size_t databases = 0;
        std::string firstAdded;
        std::optional<std::string> lastNew; // when it last brought anything new
    };
    std::vector<Source> sources;
};

// Reads the status of the archive at path, opened and checked as an add opens it (OpenArchive); a missing archive is
// not made.
ArchiveStatus ReadArchiveStatus(const std::filesystem::path& path, ProgressReporter& progress);

// The status as lines for a person, and as one JSON document.
std::string ArchiveStatusText(const ArchiveStatus& status);
std::string ArchiveStatusJson(const ArchiveStatus& status);
