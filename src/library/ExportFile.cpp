#include "ExportFile.h"

#include "MakeNumberedFileName.h"
#include "ReplaceFile.h"

#include <algorithm>
#include <system_error>

std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                           const std::string& fileSuffix) {
    // The stem holds no "/", so the name is appended to the folder as one file name, whatever it holds.
    return resultsFolder / std::filesystem::path(BookFileName(volumeId) + fileSuffix);
}

std::string FileNameOf(const std::string& text) {
    constexpr std::size_t kMostBytes = 200;
    std::string name;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        name += c == '/' || byte < 0x20 || byte == 0x7F ? '_' : c;
    }
    if (name.size() > kMostBytes) {
        std::size_t cut = kMostBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut; // a continuation byte: the character began before it
        name.resize(cut);
    }
    return name;
}

std::filesystem::path ExportTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                       const std::string& title, const std::string& author,
                                       const ExportFormatRow& format) {
    if (!format.namedByTitle)
        return AnnotationTargetPath(resultsFolder, volumeId);
    const std::string extension(format.extension);
    if (title.empty())
        return AnnotationTargetPath(resultsFolder, volumeId, ".annotations" + extension);
    std::string name = FileNameOf(author.empty() ? title : title + " - " + author);
    // "." and ".." name folders, and a name of dots alone would lose them in numbering.
    if (name.find_first_not_of('.') == std::string::npos)
        name = "_" + name;
    return resultsFolder / std::filesystem::path(name + extension);
}

ExportResult WriteExportFile(const std::string& bytes, const std::string& extension,
                             const std::filesystem::path& target, bool overrideExisting) {
    const std::filesystem::path name = overrideExisting ? target : MakeNumberedFileName(target, extension);
    if (name.empty())
        return {ExportOutcome::Failed, {}};
    ReplaceFile(name, bytes);
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error))
        return {ExportOutcome::Failed, {}};
    return {ExportOutcome::Written, name};
}
