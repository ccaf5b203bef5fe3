#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class ExportOutcome {
    NoDatabase, // the source's file is gone: nothing was done or shown
    Written,    // file holds the written file's path
    Failed,     // the front end shows "something went wrong!"
    NothingNew, // only new highlights were asked for, and the volume has none for its folder: no file was written
};

// What exporting one volume came to.
struct ExportResult {
    ExportOutcome outcome = ExportOutcome::NoDatabase;
    std::filesystem::path file{};
    std::size_t highlights = 0; // the bookmarks the written file holds: with newOnly, those new or changed
    // The file was written, but the ledger that was to record it could not be saved, so the next export of new
    // highlights writes its highlights again: why, for the caller to tell after the file (empty: nothing to tell).
    std::string ledgerNotSaved{};
};

struct FailedExport {
    std::string volumeId;
    std::string reason; // the error's message, or "something went wrong!"
};

// What exporting many volumes came to.
struct ExportAllResult {
    bool noDatabase = false;
    std::vector<std::filesystem::path> written{};
    std::vector<FailedExport> failed{}; // in the order of the volumes
    std::size_t highlights = 0;         // the bookmarks the written files hold: with newOnly, those new or changed
    // The books the written files hold, where one file holds many (a format's wholeExportFile); else one a file.
    std::optional<std::size_t> books{};
    std::size_t Books() const { return books.value_or(written.size()); }
    bool stopped = false;         // asked to stop: the books after the last one written were left alone
    std::string ledgerNotSaved{}; // as ExportResult's
};
