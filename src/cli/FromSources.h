#pragma once

#include "CommandLine.h"
#include "NotesFolder.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <iosfwd>
#include <optional>

// list, export and sync over the --from paths (with the --db database, where given, first) read as one library: the
// same lines, files and notes as for the reader's database, a book that several sources hold listed once.
int RunFromSources(const CommandLine& line, ProgressReporter& progress, std::optional<NotesFolder>& notes,
                   std::ostream& out, std::ostream& err);

// The database that stats reads among the --from paths: reading sessions are kept only in a Kobo reader's database
// (or the desktop app's), so the first of those is read and every other path is told as left out on err. Raises
// std::runtime_error when none of them is one.
std::filesystem::path StatsDatabaseFrom(const CommandLine& line, std::ostream& err);
