#pragma once

#include "AnnotationSource.h"
#include "ByteSink.h"
#include "ExportFile.h"
#include "ExportOptions.h"
#include "ExportResults.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <string>
#include <vector>

// The export of highlights from any source: read, write, record. The source is only read, and it holds nothing of
// its files (no lock on a database) while a file is written. A ledger that an export of only what is new cannot use
// raises ELedgerError before anything is read or written; one that cannot be saved after the files are written is the
// outcome's ledgerNotSaved. Without newOnly such a ledger is only warned about: the files are written all the same.

// Writes every highlight and note of the volume to the target path or its first free numbered variant, and records
// them in the ledger of the target's folder for the options' format. Errors of the reading and of the file (EFileError)
// go on to the caller. With options.newOnly, only what that ledger does not know yet.
ExportResult ExtractAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                const std::filesystem::path& target, const ExportOptions& options,
                                ProgressReporter& progress);

// The bytes ExtractAnnotations would write for the volume, handed to sink piece by piece, never held whole; false when
// the source's file is gone. A pipe has no folder and so no ledger: options.newOnly is not looked at.
bool WriteAnnotations(const AnnotationSource& source, const std::string& volumeId, const ExportOptions& options,
                      ByteSink& sink, ProgressReporter& progress);

// Exports each volume as ExtractAnnotations would, into resultsFolder (ExportTargetPath), with one progress across all
// their bookmarks. Every book is read before the first file is written (HeldExportFiles). A volume whose export fails
// is noted and the others are still written. The folder stays locked against other exports from the ledger's reading
// to its saving. A stop asked through progress ends it between two books: the files already written stay, with their
// ledger records. A format that writes one file for a whole export writes it as ExtractIntoOneFile (WholeExportFile.h).
ExportAllResult ExtractAllAnnotations(const AnnotationSource& source, const std::vector<std::string>& volumeIds,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress);

// Writes only the named bookmarks of the volume, in reading order, as ExtractAnnotations writes the whole volume to
// ExportTarget without options.newOnly, and records them in the folder's ledger.
ExportResult ExtractSelectedAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                        const std::vector<std::string>& bookmarkIds,
                                        const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                        ProgressReporter& progress);

// Where the export of the volume in the options' format goes in the folder, named from the source's index.
std::filesystem::path ExportTarget(const AnnotationSource& source, const std::string& volumeId,
                                   const std::filesystem::path& resultsFolder, const ExportOptions& options);
