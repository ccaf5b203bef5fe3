#include "ExportFile.h"

#include "AnnotatedVolume.h"
#include "ReplaceFile.h"
#include "SafeFileName.h"
#include "TemporaryFile.h"
#include "WriteNumberedFile.h"

#include <system_error>

std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                           const std::string& fileSuffix) {
    return resultsFolder / SafeFileName(BookFileName(volumeId), fileSuffix);
}

std::filesystem::path ExportTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                       const std::string& title, const std::string& author,
                                       const ExportFormatRow& format) {
    if (!format.wholeExportFile.empty())
        return resultsFolder / std::string(format.wholeExportFile);
    if (!format.namedByTitle)
        return AnnotationTargetPath(resultsFolder, volumeId);
    const std::string extension(format.extension);
    if (title.empty())
        return AnnotationTargetPath(resultsFolder, volumeId, ".annotations" + extension);
    return resultsFolder / SafeFileName(author.empty() ? title : title + " - " + author, extension);
}

ExportResult WriteExportFile(std::string_view bytes, const std::string& extension, const std::filesystem::path& target,
                             bool overrideExisting) {
    return WriteExportFile(
        [bytes](TemporaryFile& file, const std::filesystem::path& name) { FileSink(file, name).Take(bytes); },
        extension, target, overrideExisting);
}

ExportResult WriteExportFile(const FileFiller& contents, const std::string& extension,
                             const std::filesystem::path& target, bool overrideExisting) {
    return WriteExportFile(MakeFilledFile(contents), extension, target, overrideExisting);
}

ExportResult WriteExportFile(const FileMaker& make, const std::string& extension, const std::filesystem::path& target,
                             bool overrideExisting) {
    std::filesystem::path name = target;
    if (overrideExisting)
        ReplaceFile(name, make);
    else
        name = WriteNumberedFile(target, extension, make);
    if (name.empty())
        return {ExportOutcome::Failed, {}};
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error))
        return {ExportOutcome::Failed, {}};
    return {ExportOutcome::Written, name};
}

void FileSink::Take(std::string_view bytes) {
    if (const int error = m_file.Write(bytes))
        RaiseFileError("Cannot write file", m_name, error);
}
