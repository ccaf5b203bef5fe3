#include "ExportFile.h"

#include "MakeNumberedFileName.h"

#include <algorithm>
#include <system_error>

std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                           const std::string& fileSuffix) {
    const std::size_t slash = volumeId.rfind('/');
    const std::string stem = slash == std::string::npos ? volumeId : volumeId.substr(slash + 1);
    // The stem holds no "/", so the name is appended to the folder as one file name, whatever it holds.
    return resultsFolder / std::filesystem::path(stem + fileSuffix);
}

ExportResult WriteExportFile(const AnnotationWriter& writer, const AnnotatedVolume& volume,
                             const std::filesystem::path& target, bool overrideExisting) {
    const std::string suffix = writer.FileSuffix();
    const std::string extension = suffix.substr(std::min(suffix.rfind('.'), suffix.size()));
    const std::filesystem::path name = overrideExisting ? target : MakeNumberedFileName(target, extension);
    if (name.empty())
        return {ExportOutcome::Failed, {}};
    writer.Write(volume, name);
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error))
        return {ExportOutcome::Failed, {}};
    return {ExportOutcome::Written, name};
}
