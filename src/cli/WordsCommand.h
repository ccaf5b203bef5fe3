#pragma once

#include "CommandLine.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <iosfwd>

// words: the database's saved words on standard output in the line's format; a word cut to its first characters is
// named on standard error. Raises for a database that cannot be read.
int PrintSavedWords(const CommandLine& line, const std::filesystem::path& database, ProgressReporter& progress,
                    std::ostream& out, std::ostream& err);
