#include "ReaderLibrary.h"

#include "ReaderConnection.h"

void ReaderLibrary::LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                                 const ReadingOptions& options) {
    m_index.Clear();
    progress.SetStatus("reading database");
    if (!IsReaderDatabaseFile(path)) {
        progress.SetStatus("");
        return;
    }
    // Recorded before the reading, so that the console can still reach a database that fails to load.
    m_databasePath = path;
    ReadReaderDatabase(path, "the list of books", progress,
                       [&](ReaderConnection& reader) { ReadLibraryIndex(reader, m_index, options); });
    progress.SetStatus("");
}

bool ReaderLibrary::DatabaseExists() const {
    return IsReaderDatabaseFile(m_databasePath);
}

std::filesystem::path ReaderLibrary::ExportTarget(const std::string& volumeId,
                                                  const std::filesystem::path& resultsFolder,
                                                  const ExportOptions& options) const {
    return ExportTargetPath(resultsFolder, volumeId, m_index.TitlePairs.ValueOf(volumeId),
                            m_index.AuthorPairs.ValueOf(volumeId), *MakeAnnotationWriter(options));
}

ExportResult ReaderLibrary::ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target,
                                               const ExportOptions& options, ProgressReporter& progress) const {
    return ::ExtractAnnotations(m_databasePath, m_index, volumeId, target, options, progress);
}

std::optional<std::string> ReaderLibrary::RenderAnnotations(const std::string& volumeId, const ExportOptions& options,
                                                            ProgressReporter& progress) const {
    return ::RenderAnnotations(m_databasePath, m_index, volumeId, options, progress);
}

std::vector<std::string> ReaderLibrary::RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                                         const ReadingOptions& options) const {
    return ::RepairContentIds(m_databasePath, volumeId, progress, options);
}

ExportAllResult ReaderLibrary::ExtractAllAnnotations(const std::vector<std::string>& volumeIds,
                                                     const std::filesystem::path& resultsFolder,
                                                     const ExportOptions& options, ProgressReporter& progress) const {
    return ::ExtractAllAnnotations(m_databasePath, m_index, volumeIds, resultsFolder, options, progress);
}

void ReaderLibrary::ExecuteStatements(const std::vector<std::string>& statements) const {
    // The run's own connection; closing it on every path rolls back a transaction the lines left open.
    std::unique_ptr<ReaderConnection> writer = OpenReaderDatabase(m_databasePath, ReaderAccess::Write);
    if (!writer)
        return;
    for (const std::string& statement : statements)
        writer->Database().ExecSQL(statement);
}
