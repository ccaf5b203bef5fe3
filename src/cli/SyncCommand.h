#pragma once

#include "AnnotationSource.h"
#include "CommandLine.h"
#include "NotesFolder.h"
#include "ProgressReporter.h"

#include <iosfwd>

// sync: every book that carries bookmarks rendered with the line's template set and merged into its note in folder
// (with --dry-run, only planned). Standard output lists each note written, or with --dry-run each note that would
// change and how, with --diff each one's diff; standard error names the books that failed and ends with what the sync
// did. Returns kExitError when a book failed, after all the others.
int SyncNotes(const CommandLine& line, const AnnotationSource& library, NotesFolder& folder, ProgressReporter& progress,
              std::ostream& out, std::ostream& err);
