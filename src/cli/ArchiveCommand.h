#pragma once

#include "CommandLine.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <iosfwd>
#include <string>

// The commands' part of the help that tells archive add and archive status.
std::string ArchiveHelpText();

// Checks the arguments of `archive`: its action (add, status) and what each takes. Raises EUsageError.
void CheckArchiveCommand(CommandLine& line);

// archive add: each PATH added, what was new on standard output, a database that could not be added named on
// standard error (exit status 1, the others added all the same). archive status: the status in the line's format.
int RunArchive(const CommandLine& line, ProgressReporter& progress, std::ostream& out, std::ostream& err);

// Adds a backup just made (in folder) to the line's archive; a failure is a warning on err, never the backup's.
void AddBackupToArchive(const CommandLine& line, const std::filesystem::path& backup,
                        const std::filesystem::path& folder, ProgressReporter& progress, std::ostream& err);
