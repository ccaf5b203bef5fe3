#pragma once

#include "AnnotatedVolume.h"

#include <filesystem>
#include <string>

// Turns one volume's annotations into a file of one format.
class AnnotationWriter {
public:
    virtual ~AnnotationWriter() = default;
    // What follows the book's file name in the name of a written file: ".annotations.txt" for the text file.
    virtual std::string FileSuffix() const = 0;
    // Writes the whole file under that name, replacing a file of that name; a failure leaves no half-written file.
    // Raises EFileError.
    virtual void Write(const AnnotatedVolume& volume, const std::filesystem::path& file) const = 0;
};
