#pragma once

#include "AnnotatedVolume.h"
#include "ByteSink.h"

#include <string>

// Turns one volume's annotations into the bytes of a file of one format. What else a format is (its name, its file
// extension, how its files are named) is said once, in the table of formats (ExportFormats.h).
class AnnotationWriter {
public:
    virtual ~AnnotationWriter() = default;
    // The whole file, piece by piece in order; naming and writing it are shared by every format (ExportFile.h).
    virtual void Write(const AnnotatedVolume& volume, ByteSink& sink) const = 0;
    // The whole file at once.
    std::string Render(const AnnotatedVolume& volume) const;
};

// Today's local date, YYYY-MM-DD: the day an export says it was made.
std::string TodayLocalDate();
