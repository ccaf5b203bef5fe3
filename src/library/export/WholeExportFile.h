#pragma once

#include "AnnotationSource.h"
#include "ExportResults.h"
#include "ExportRun.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <string>
#include <vector>

// The export of many books in a format that writes one file for them all (ExportFormatRow::wholeExportFile): each
// book's part written into the new file as the book is read, in the order of the volumes, and the file given its name
// once every book is read. A book that cannot be read is noted and the others are written; a book with nothing new
// adds nothing. A stop asked through progress writes no file: a file of some of the books would pass for one of all.
ExportAllResult ExtractIntoOneFile(const AnnotationSource& source, const std::vector<std::string>& volumeIds,
                                   const std::filesystem::path& resultsFolder, ExportRun& run,
                                   ProgressReporter& progress);
