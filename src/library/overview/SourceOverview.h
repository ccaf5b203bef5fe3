#pragma once

#include "AnnotationSource.h"
#include "LibraryOverview.h"

#include <optional>
#include <string>
#include <string_view>

// The overview of any source (the archive, other readers' files, several sources as one), read book by book through
// the source's own reading with whole records (dates, types, colours, progress), each highlight with its gone mark and
// the kind of files it came from. A book that cannot be read is left out and told through progress. Nothing when the
// source's file is gone; what was read when progress asked to stop.
std::optional<LibraryOverview> ReadSourceOverview(const AnnotationSource& source, const ReadingOptions& options,
                                                  ProgressReporter& progress);

// The short name of a kind of source, as the window's "source" column shows it.
std::string_view SourceKindName(SourceKind kind);
