#include "ReaderLibrary.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeReader.h"

LoadOutcome ReaderLibrary::LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                                        const ReadingOptions& options) {
    m_index.Clear();
    m_kept.Drop();
    LoadOutcome outcome;
    progress.SetStatus("reading database");
    outcome.pathKind = KindOfDatabasePath(path);
    if (outcome.pathKind != DatabasePathKind::File) {
        outcome.kind =
            outcome.pathKind == DatabasePathKind::NotFound ? LoadOutcome::Kind::NotFound : LoadOutcome::Kind::NotAFile;
        progress.SetStatus("");
        return outcome;
    }
    // Recorded before the reading, so that the console can still reach a database that fails to load.
    m_databasePath = path;
    try {
        const bool read = ReadReaderDatabase(
            path, "the list of books", progress,
            [&](ReaderConnection& reader) { ReadLibraryIndex(reader, m_index, options); }, &m_kept);
        // Gone between the look and the reading.
        outcome.kind = read ? LoadOutcome::Kind::Loaded : LoadOutcome::Kind::NotFound;
        outcome.books = m_index.Volumes.Count();
    } catch (const std::exception& error) {
        // The status stays: it tells what was running when the reading failed.
        outcome.kind = LoadOutcome::Kind::Failed;
        outcome.error = error.what();
        outcome.exception = std::current_exception();
        return outcome;
    }
    progress.SetStatus("");
    return outcome;
}

bool ReaderLibrary::DatabaseExists() const {
    return IsReaderDatabaseFile(m_databasePath);
}

bool ReaderLibrary::HasBookmarks(const std::string& volumeId) const {
    if (m_index.Volumes.Contains(volumeId))
        return true;
    bool found = false;
    SilentProgress silent;
    ReadReaderDatabase(
        m_databasePath, "the bookmarks of " + volumeId, silent,
        [&](ReaderConnection& reader) {
            ReaderQuery rows(reader, "Bookmark", {"VolumeID"}, "WHERE VolumeID=? LIMIT 1", {volumeId});
            found = rows.Step();
        },
        &m_kept);
    return found;
}

std::optional<AnnotatedVolume> ReaderLibrary::ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                                         ProgressReporter& progress) const {
    std::optional<AnnotatedVolume> volume =
        ::ReadAnnotatedVolume(m_databasePath, m_index, volumeId, options, progress, &m_kept);
    if (volume)
        volume->sources.push_back(Facts());
    progress.ResetProgress();
    progress.SetStatus("");
    return volume;
}

std::filesystem::path ReaderLibrary::ExportTarget(const std::string& volumeId,
                                                  const std::filesystem::path& resultsFolder,
                                                  const ExportOptions& options) const {
    return ExportTargetPath(resultsFolder, volumeId, m_index.TitlePairs.ValueOf(volumeId),
                            m_index.AuthorPairs.ValueOf(volumeId), FormatRow(options.format));
}

ExportResult ReaderLibrary::ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target,
                                               const ExportOptions& options, ProgressReporter& progress) const {
    return ::ExtractAnnotations(m_databasePath, m_index, volumeId, target, options, progress, &m_kept);
}

std::optional<std::string> ReaderLibrary::RenderAnnotations(const std::string& volumeId, const ExportOptions& options,
                                                            ProgressReporter& progress) const {
    return ::RenderAnnotations(m_databasePath, m_index, volumeId, options, progress, &m_kept);
}

bool ReaderLibrary::WriteAnnotations(const std::string& volumeId, const ExportOptions& options, ByteSink& sink,
                                     ProgressReporter& progress) const {
    return ::WriteAnnotations(m_databasePath, m_index, volumeId, options, sink, progress, &m_kept);
}

std::vector<std::string> ReaderLibrary::RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                                         const ReadingOptions& options) const {
    return ::RepairContentIds(m_databasePath, volumeId, progress, options, &m_kept);
}

ExportAllResult ReaderLibrary::ExtractAllAnnotations(const std::vector<std::string>& volumeIds,
                                                     const std::filesystem::path& resultsFolder,
                                                     const ExportOptions& options, ProgressReporter& progress) const {
    return ::ExtractAllAnnotations(m_databasePath, m_index, volumeIds, resultsFolder, options, progress, &m_kept);
}

void ReaderLibrary::ExecuteStatements(const std::vector<std::string>& statements) const {
    // What the console changes is read afresh by the next action.
    m_kept.Drop();
    // The run's own connection; closing it on every path rolls back a transaction the lines left open.
    std::unique_ptr<ReaderConnection> writer = OpenReaderDatabase(m_databasePath, ReaderAccess::Write);
    if (!writer)
        return;
    for (const std::string& statement : statements)
        writer->Database().ExecSQL(statement);
}
