#include "ReaderLibrary.h"

#include <system_error>

namespace {

bool IsExistingFile(const std::filesystem::path& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

} // namespace

void ReaderLibrary::LoadDatabase(const std::filesystem::path& path, ProgressReporter& progress,
                                 bool skipDeletedHighlights) {
    m_index.Clear();
    progress.SetStatus("reading database");
    if (!IsExistingFile(path)) {
        progress.SetStatus("");
        return;
    }
    m_databasePath = path;
    ReadLibraryIndex(path, m_index, skipDeletedHighlights);
    progress.SetStatus("");
}

bool ReaderLibrary::DatabaseExists() const {
    return IsExistingFile(m_databasePath);
}

ExportResult ReaderLibrary::ExtractAnnotations(const std::string& volumeId, const std::string& separator,
                                               const std::filesystem::path& target, const ExportOptions& options,
                                               ProgressReporter& progress) const {
    return ::ExtractAnnotations(m_databasePath, m_index, volumeId, separator, target, options, progress);
}

std::vector<std::string> ReaderLibrary::RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                                         bool skipDeletedHighlights) const {
    return ::RepairContentIds(m_databasePath, volumeId, progress, skipDeletedHighlights);
}

ExportAllResult ReaderLibrary::ExtractAllAnnotations(const std::vector<std::string>& volumeIds,
                                                     const std::string& separator,
                                                     const std::filesystem::path& resultsFolder,
                                                     const ExportOptions& options, ProgressReporter& progress) const {
    return ::ExtractAllAnnotations(m_databasePath, m_index, volumeIds, separator, resultsFolder, options, progress);
}
