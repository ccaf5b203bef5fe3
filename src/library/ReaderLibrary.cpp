#include "ReaderLibrary.h"

#include "InterruptScope.h"
#include "ReaderConnection.h"

#include <thread>

std::optional<LibraryOverview> ReaderLibrary::ReadOverview(const ReadingOptions& options,
                                                           ProgressReporter& progress) const {
    std::optional<LibraryOverview> overview;
    ReadReaderDatabase(
        DatabasePath(), "the highlights of every book", progress,
        [&](ReaderConnection& reader) { overview = ReadLibraryOverview(reader, Index(), options); }, &Kept());
    return overview;
}

LoadOutcome ReaderLibrary::LoadDatabaseAndOverview(const std::filesystem::path& path, ProgressReporter& progress,
                                                   const ReadingOptions& options,
                                                   std::optional<LibraryOverview>& overview) {
    std::optional<OverviewRows> rows;
    std::jthread rowsReading;
    if (KindOfDatabasePath(path) == DatabasePathKind::File) {
        // On a connection of its own, stopped as this thread's database work is.
        rowsReading = std::jthread([&rows, &path, &options, stop = InterruptScope::Current()] {
            std::optional<InterruptScope> interrupt;
            if (stop != nullptr)
                interrupt.emplace(*stop);
            try {
                SilentProgress silent;
                ReadReaderDatabase(path, "the highlights of every book", silent,
                                   [&](ReaderConnection& reader) { rows = ReadOverviewRows(reader, options); });
            } catch (...) {
                rows.reset(); // read again below, where the error reaches the caller
            }
        });
    }
    const LoadOutcome outcome = LoadDatabase(path, progress, options);
    // The lists' order and names, which the join and the window read first, are made while the rows are still read.
    if (outcome.kind == LoadOutcome::Kind::Loaded)
        Index().PlaceAll();
    if (rowsReading.joinable())
        rowsReading.join();
    if (outcome.kind != LoadOutcome::Kind::Loaded)
        return outcome;
    if (rows) {
        overview = JoinOverview(std::move(*rows), Index());
        overview->headingsUnread = LibraryOverview::UnreadHeadings{DatabasePath(), options};
    } else
        overview = ReadOverview(options, progress);
    return outcome;
}

void ReaderLibrary::ExecuteStatements(const std::vector<std::string>& statements) const {
    ExecuteReaderStatements(*this, statements);
}

void ExecuteReaderStatements(const ReaderDatabaseSource& database, const std::vector<std::string>& statements) {
    // What the console changes is read afresh by the next action.
    database.Kept().Drop();
    // The run's own connection; closing it on every path rolls back a transaction the lines left open.
    std::unique_ptr<ReaderConnection> writer = OpenReaderDatabase(database.DatabasePath(), ReaderAccess::Write);
    if (!writer)
        return;
    for (const std::string& statement : statements)
        writer->Database().ExecSQL(statement);
}
