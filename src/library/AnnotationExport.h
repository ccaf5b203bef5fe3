#pragma once

#include "ExportFile.h"
#include "ExportLedger.h"
#include "ExportOptions.h"
#include "KeptReading.h"
#include "LibraryIndex.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The writer of the options' format, with their separator and byte-order mark where the format has them.
std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options);

struct FailedExport {
    std::string volumeId;
    std::string reason; // the error's message, or "something went wrong!"
};

struct ExportAllResult {
    bool noDatabase = false;
    std::vector<std::filesystem::path> written;
    std::vector<FailedExport> failed; // in the order of the volumes
    std::size_t highlights = 0;       // the bookmarks the written files hold: with newOnly, those new or changed
    bool stopped = false;             // asked to stop: the books after the last one written were left alone
};

// The files were written, but the ledger that was to record them could not be saved, so the next export of new
// highlights writes their highlights again. Carries what was written and what failed, for the caller to report.
class ELedgerNotSaved : public ELedgerError {
public:
    ELedgerNotSaved(const std::string& message, ExportAllResult result)
        : ELedgerError(message), m_result(std::make_shared<const ExportAllResult>(std::move(result))) {}
    const ExportAllResult& Result() const { return *m_result; }

private:
    std::shared_ptr<const ExportAllResult> m_result; // shared: an exception is copied without throwing
};

// Each reads the database through kept where the caller keeps a reading of it (ReadReaderDatabase).

// Writes every highlight and note of the volume to the target path or its first free numbered variant, and records
// them in the ledger of the target's folder for the options' format (FolderLedger.h). The database is only read, and
// no lock on it is held while the file is written. Errors of the access layer (ESQLiteException) and of the file
// (EFileError) go on to the caller. With options.newOnly, only what that ledger does not know yet; a ledger that
// cannot be used raises ELedgerError before anything is read or written, and one that cannot be saved after the file
// is written raises ELedgerNotSaved. Without it, such a ledger is only warned about: the file is written all the same.
ExportResult ExtractAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                const std::string& volumeId, const std::filesystem::path& target,
                                const ExportOptions& options, ProgressReporter& progress, KeptReading* kept = nullptr);

// The bytes ExtractAnnotations would write for the volume, for a pipe; nothing when the database file is gone. A pipe
// has no folder and so no ledger: options.newOnly is not looked at.
std::optional<std::string> RenderAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                             const std::string& volumeId, const ExportOptions& options,
                                             ProgressReporter& progress, KeptReading* kept = nullptr);
// The same bytes handed to sink piece by piece, never held whole; false when the database file is gone.
bool WriteAnnotations(const std::filesystem::path& database, const LibraryIndex& index, const std::string& volumeId,
                      const ExportOptions& options, ByteSink& sink, ProgressReporter& progress,
                      KeptReading* kept = nullptr);

// Exports each volume as ExtractAnnotations would, to AnnotationTargetPath(resultsFolder, id), with one progress
// across all their bookmarks. A volume whose export fails is noted and the others are still written. The ledger of
// resultsFolder is read first and records what was written at the end, as ExtractAnnotations does: with
// options.newOnly, one that cannot be used raises ELedgerError, and when it cannot be saved ELedgerNotSaved carries
// the result. The folder stays locked against other exports from the ledger's reading to its saving. A stop asked
// through progress ends it between two books: the files already written stay, with their ledger records.
ExportAllResult ExtractAllAnnotations(const std::filesystem::path& database, const LibraryIndex& index,
                                      const std::vector<std::string>& volumeIds,
                                      const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                      ProgressReporter& progress, KeptReading* kept = nullptr);
