#include "LoadedLibrary.h"

#include <stdexcept>

LoadedLibrary::LoadedLibrary() : LoadedLibrary(std::make_shared<ReaderLibrary>()) {}

LoadedLibrary::LoadedLibrary(std::shared_ptr<ReaderLibrary> database)
    : m_alone(std::move(database)), m_source(m_alone), m_database(m_alone.get()) {}

LoadedLibrary::LoadedLibrary(std::shared_ptr<const AnnotationSource> source, const ReaderDatabaseSource* database)
    : m_source(std::move(source)), m_database(database) {}

std::shared_ptr<LoadedLibrary> LoadedLibrary::OpenPaths(const std::vector<std::filesystem::path>& paths,
                                                        ProgressReporter& progress, const ReadingOptions& options) {
    std::shared_ptr<const CombinedSource> combined = OpenSourcePaths(paths, progress, options);
    const ReaderDatabaseSource* database = nullptr;
    for (std::size_t i = 0; i < combined->Count() && database == nullptr; ++i)
        database = dynamic_cast<const ReaderDatabaseSource*>(&combined->Member(i));
    return std::make_shared<LoadedLibrary>(std::move(combined), database);
}

std::filesystem::path LoadedLibrary::DatabasePath() const {
    return m_database != nullptr ? m_database->DatabasePath() : std::filesystem::path();
}

std::vector<std::string> LoadedLibrary::RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                                         const ReadingOptions& options) const {
    if (m_database == nullptr)
        throw std::runtime_error("Only a Kobo reader's database can be repaired: " + WhyNoDatabase(*this));
    if (m_database != m_source.get() && !m_database->HasBookmarks(volumeId))
        throw std::runtime_error("This book is not in the loaded Kobo database: only its books can be repaired.");
    return ::RepairContentIds(m_database->DatabasePath(), volumeId, progress, options, &m_database->Kept());
}

void LoadedLibrary::ExecuteStatements(const std::vector<std::string>& statements) const {
    if (m_database == nullptr)
        throw std::runtime_error("The SQL console runs on a Kobo reader's database: " + WhyNoDatabase(*this));
    ExecuteReaderStatements(*m_database, statements);
}

std::string WhyNoDatabase(const LoadedLibrary& library) {
    if (library.Database() != nullptr)
        return {};
    if (library.FromArchive())
        return "the archive is shown, not a Kobo database";
    return "the loaded library holds no Kobo database (only other readers' files)";
}
