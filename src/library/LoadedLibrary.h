#pragma once

#include "ReaderLibrary.h"
#include "SourcePaths.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The library a front end keeps between actions: any source of highlights (a reader's database, the archive, other
// readers' files, several of them as one), with the reader database's own actions (the console, the content-id repair,
// its statistics and backups) where it holds one.
class LoadedLibrary : public AnnotationSource, public SourceExports<LoadedLibrary> {
public:
    // Nothing loaded: an empty reader database library.
    LoadedLibrary();
    // A reader's database alone.
    explicit LoadedLibrary(std::shared_ptr<ReaderLibrary> database);
    // Any source; database: the reader's database among its members, owned by source, or null.
    LoadedLibrary(std::shared_ptr<const AnnotationSource> source, const ReaderDatabaseSource* database);
    // The paths' sources as one library (OpenSourcePaths); the first reader database among them keeps its actions.
    static std::shared_ptr<LoadedLibrary> OpenPaths(const std::vector<std::filesystem::path>& paths,
                                                    ProgressReporter& progress, const ReadingOptions& options);

    const LibraryIndex& Index() const override { return m_source->Index(); }
    bool HasBookmarks(const std::string& volumeId) const override { return m_source->HasBookmarks(volumeId); }
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override {
        return m_source->ReadVolume(volumeId, options, progress);
    }
    bool ReadVolumes(const std::vector<std::string>& volumeIds, const ReadingOptions& options,
                     ProgressReporter& progress, VolumeReceiver& receiver) const override {
        return m_source->ReadVolumes(volumeIds, options, progress, receiver);
    }
    SourceFacts Facts() const override { return m_source->Facts(); }

    // The reader's database the library holds, or null: what only a Kobo database has is offered only with one.
    const ReaderDatabaseSource* Database() const { return m_database; }
    // A library of a reader's database alone, which a failed load may empty in place.
    ReaderLibrary* DatabaseAlone() { return m_alone.get(); }
    // The reader database's file; empty without one.
    std::filesystem::path DatabasePath() const;
    bool DatabaseExists() const { return m_database != nullptr && m_database->DatabaseExists(); }
    // Read from the archive: highlights may be gone from their reader.
    bool FromArchive() const { return Facts().kind == SourceKind::Archive; }

    // The repair of the reader's database; raises std::runtime_error when the library holds none, or the book is not
    // one of its books.
    std::vector<std::string> RepairContentIds(const std::string& volumeId, ProgressReporter& progress,
                                              const ReadingOptions& options = {}) const;
    // The SQL console on the reader's database (ExecuteReaderStatements); raises std::runtime_error without one.
    void ExecuteStatements(const std::vector<std::string>& statements) const;

private:
    std::shared_ptr<ReaderLibrary> m_alone;
    std::shared_ptr<const AnnotationSource> m_source;
    const ReaderDatabaseSource* m_database = nullptr;
};

// Why an action of a reader's database alone is not offered for this library; empty when it is.
std::string WhyNoDatabase(const LoadedLibrary& library);
