#include "ExportFile.h"

#include "AnnotatedVolume.h"
#include "ReplaceFile.h"
#include "SafeFileName.h"
#include "WriteNumberedFile.h"

#include <system_error>

std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                           const std::string& fileSuffix) {
    return resultsFolder / SafeFileName(BookFileName(volumeId), fileSuffix);
}

std::filesystem::path ExportTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                       const std::string& title, const std::string& author,
                                       const ExportFormatRow& format) {
    if (!format.namedByTitle)
        return AnnotationTargetPath(resultsFolder, volumeId);
    const std::string extension(format.extension);
    if (title.empty())
        return AnnotationTargetPath(resultsFolder, volumeId, ".annotations" + extension);
    return resultsFolder / SafeFileName(author.empty() ? title : title + " - " + author, extension);
}

ExportResult WriteExportFile(const std::string& bytes, const std::string& extension,
                             const std::filesystem::path& target, bool overrideExisting) {
    std::filesystem::path name = target;
    if (overrideExisting)
        ReplaceFile(name, bytes);
    else
        name = WriteNumberedFile(target, extension, bytes);
    if (name.empty())
        return {ExportOutcome::Failed, {}};
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error))
        return {ExportOutcome::Failed, {}};
    return {ExportOutcome::Written, name};
}
