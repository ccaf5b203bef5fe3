#pragma once

#include "AnnotatedVolume.h"

#include <filesystem>
#include <memory>
#include <string>

enum class ExportFormat { Text, Markdown, Json, Csv };

// Turns one volume's annotations into the bytes of a file of one format.
class AnnotationWriter {
public:
    virtual ~AnnotationWriter() = default;
    // The written file's extension: ".txt", ".md", ".json", ".csv".
    virtual std::string Extension() const = 0;
    // Whether its files are named "Title - Author" where the title is known, rather than after the book's file.
    virtual bool NamedByTitle() const { return true; }
    // The whole file; naming and writing it are shared by every format (ExportFile.h).
    virtual std::string Render(const AnnotatedVolume& volume) const = 0;
};

// Today's local date, YYYY-MM-DD: the day an export says it was made.
std::string TodayLocalDate();

struct ExportOptions;
// The writer of the options' format, with their separator and byte-order mark where the format has them.
std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options);
