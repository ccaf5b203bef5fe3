#pragma once

#include "ContentIdRepair.h"
#include "ExportOptions.h"
#include "LibraryOverview.h"
#include "ProgressReporter.h"
#include "ReaderDatabaseSource.h"
#include "SourceExports.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The loaded database as the window and the command line keep it between actions: a reader database's source
// (ReaderDatabaseSource) with what the front ends do with it, each done by its own wing.
class ReaderLibrary : public ReaderDatabaseSource, public SourceExports<ReaderLibrary> {
public:
    using ReaderDatabaseSource::ReaderDatabaseSource;

    std::vector<std::string> RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                              const ReadingOptions& options = {}) const {
        return ::RepairContentIds(DatabasePath(), volumeId, progress, options, &Kept());
    }

    // LoadDatabase, and with it the overview (ReadOverview): its rows are read on a thread of its own beside the index,
    // and joined to the index once both are read; its chapters' headings are left to be read beside the window
    // (LibraryOverview::headingsUnread). overview is set only when the load succeeded.
    LoadOutcome LoadDatabaseAndOverview(const std::filesystem::path& path, ProgressReporter& progress,
                                        const ReadingOptions& options, std::optional<LibraryOverview>& overview);
    // Every listed book's counts and every bookmark's text, from the kept reading; nothing when the file is gone.
    std::optional<LibraryOverview> ReadOverview(const ReadingOptions& options, ProgressReporter& progress) const;

    // The SQL console: runs each statement, in order, on one connection that may write; the first failure ends the
    // run and goes on to the caller. Nothing happens when the database file is gone.
    void ExecuteStatements(const std::vector<std::string>& statements) const;
};

// The SQL console's run on the database's file (ReaderLibrary::ExecuteStatements).
void ExecuteReaderStatements(const ReaderDatabaseSource& database, const std::vector<std::string>& statements);
