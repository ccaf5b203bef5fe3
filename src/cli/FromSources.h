#pragma once

#include "AnnotationSource.h"
#include "CommandLine.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <iosfwd>
#include <memory>

// The --from paths (with the --db database, where given, first) as one library for list, export and sync: the same
// lines, files and notes as for the reader's database, a book that several sources hold listed once.
std::unique_ptr<AnnotationSource> OpenFromSources(const CommandLine& line, ProgressReporter& progress);

// The database that stats reads among the --from paths: reading sessions are kept only in a Kobo reader's database
// (or the desktop app's), so the first of those is read and every other path is told as left out on err. Raises
// std::runtime_error when none of them is one.
std::filesystem::path StatsDatabaseFrom(const CommandLine& line, std::ostream& err);
