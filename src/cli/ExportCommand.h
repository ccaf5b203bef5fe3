#pragma once

#include "AnnotationSource.h"
#include "CommandLine.h"
#include "ProgressReporter.h"

#include <iosfwd>

// export: the given ids or every listed volume of any source, as the window's "export all books" does, each path on
// standard output as its file is there, the failures told at the end on err; or one volume to standard output.
int ExportHighlights(const CommandLine& line, const AnnotationSource& library, ProgressReporter& progress,
                     std::ostream& out, std::ostream& err);
