#pragma once

#include "CommandLine.h"
#include "VolumeSource.h"

#include <iosfwd>
#include <string>
#include <vector>

// Runs marvik-cli on the arguments after the program name: results on out, messages on err. Returns the exit status.
int RunCli(const std::vector<std::string>& arguments, const VolumeSource& volumes, std::ostream& out,
           std::ostream& err);
