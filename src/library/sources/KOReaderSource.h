#pragma once

#include "AnnotationSource.h"
#include "KOReaderSidecar.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Whether the file is a KOReader sidecar: metadata.EXT.lua in a folder whose name ends in ".sdr".
bool IsSidecarFile(const std::filesystem::path& file);
// The file itself, or every sidecar below a folder (a reader's root, a book folder, KOReader's docsettings or
// hashdocsettings), in path order. Links to folders are not followed: a reader's root may hold loops.
std::vector<std::filesystem::path> FindSidecars(const std::filesystem::path& path);

// The highlights of KOReader's sidecars, one volume a book. Each sidecar is read once, when the source is made, in
// the Lua sandbox (LuaSandbox.h); one that is refused is told through progress with its file named (where a folder
// was searched; a file named on its own is left to Refused()), and the others are read.
class KOReaderSource : public AnnotationSource {
public:
    KOReaderSource(std::filesystem::path path, ProgressReporter& progress,
                   const TextOrder& order = TextOrder::ForUserLocale());

    const LibraryIndex& Index() const override { return m_index; }
    bool HasBookmarks(const std::string& volumeId) const override { return m_books.contains(volumeId); }
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override;
    SourceFacts Facts() const override { return {SourceKind::KOReader, m_path, {}}; }

    // The sidecars that were not read, each "path: why".
    const std::vector<std::string>& Refused() const { return m_refused; }
    // The ISBN or identifier a sidecar gives its book; empty when none or the id is unknown.
    std::string IsbnOf(const std::string& volumeId) const;

private:
    struct Book {
        std::filesystem::path sidecar;
        SidecarBook facts;
    };

    std::filesystem::path m_path;
    LibraryIndex m_index;
    std::map<std::string, Book> m_books;
    std::vector<std::string> m_refused;
};
