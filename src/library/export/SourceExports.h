#pragma once

#include "AnnotationExport.h"

#include <filesystem>
#include <string>
#include <vector>

// The export flow as member functions of a library a front end keeps (Library: an AnnotationSource), so that its
// exports read from it: the same functions, the library given as the source.
template <class Library> class SourceExports {
public:
    // Where the export of the volume in the options' format goes in the folder.
    std::filesystem::path ExportTarget(const std::string& volumeId, const std::filesystem::path& resultsFolder,
                                       const ExportOptions& options) const {
        return ::ExportTarget(Source(), volumeId, resultsFolder, options);
    }
    ExportResult ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target,
                                    const ExportOptions& options, ProgressReporter& progress) const {
        return ::ExtractAnnotations(Source(), volumeId, target, options, progress);
    }
    bool WriteAnnotations(const std::string& volumeId, const ExportOptions& options, ByteSink& sink,
                          ProgressReporter& progress) const {
        return ::WriteAnnotations(Source(), volumeId, options, sink, progress);
    }
    // Writes only the named bookmarks of the volume (ExtractSelectedAnnotations).
    ExportResult ExtractSelectedAnnotations(const std::string& volumeId, const std::vector<std::string>& bookmarkIds,
                                            const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                            ProgressReporter& progress) const {
        return ::ExtractSelectedAnnotations(Source(), volumeId, bookmarkIds, resultsFolder, options, progress);
    }
    // Exports the volumes one file each, with one progress across all their bookmarks.
    ExportAllResult ExtractAllAnnotations(const std::vector<std::string>& volumeIds,
                                          const std::filesystem::path& resultsFolder, const ExportOptions& options,
                                          ProgressReporter& progress) const {
        return ::ExtractAllAnnotations(Source(), volumeIds, resultsFolder, options, progress);
    }

private:
    const Library& Source() const { return static_cast<const Library&>(*this); }
};
