#pragma once

#include "AnnotationSource.h"
#include "ExportFile.h"
#include "ExportOptions.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <optional>
#include <string>

// The exports of any source (another reader's files, several readers as one library), as the reader database's own
// exports write them (AnnotationExport.h): the same writers, target names, numbering, ledger and pictures.

// Where the export of the volume in the options' format goes in the folder.
std::filesystem::path SourceExportTarget(const AnnotationSource& source, const std::string& volumeId,
                                         const std::filesystem::path& resultsFolder, const ExportOptions& options);

// Writes the volume to the target path or its first free numbered variant and records it in the folder's ledger;
// NoDatabase when the source's file is gone. Errors of the reading and of the file go on to the caller.
ExportResult ExtractSourceAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                      const std::filesystem::path& target, const ExportOptions& options,
                                      ProgressReporter& progress);

// The same bytes handed to sink piece by piece; false when the source's file is gone.
bool WriteSourceAnnotations(const AnnotationSource& source, const std::string& volumeId, const ExportOptions& options,
                            ByteSink& sink, ProgressReporter& progress);
