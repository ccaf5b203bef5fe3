#pragma once

#include "ArchiveReading.h"
#include "CommandLine.h"
#include "ProgressReporter.h"

#include <memory>
#include <string>

// --from-archive, --live-only and --archive FILE on list, export, sync and stats: the archive read in place of a
// reader's database.

// Whether the command takes the option as one of these.
bool AcceptsFromArchive(Command command, const std::string& option);

// Checks that they go together and with the rest of the line, and sets what reading the archive implies: its deleted
// highlights are the gone ones and always read, and its sessions stand for every backup. Raises EUsageError.
void CheckFromArchive(CommandLine& line);

// The line's archive (the default one in the user's data folder, or --archive), read for this run.
std::shared_ptr<const ArchiveReading> ReadArchiveOf(const CommandLine& line, ProgressReporter& progress);

// The options' part of the help.
std::string FromArchiveHelpText();
