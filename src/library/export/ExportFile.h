#pragma once

#include "ByteSink.h"
#include "ExportFormats.h"
#include "ExportResults.h"
#include "FileFiller.h"

#include <cstddef>
#include <filesystem>
#include <string>

// The file a double-click on the volume writes: resultsFolder / (id after its last "/") + the writer's suffix, made
// a safe file name (SafeFileName.h).
std::filesystem::path AnnotationTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                           const std::string& fileSuffix = ".annotations.txt");

// Where the format's file for the volume goes: the format's one file for a whole export where it has one; the file a
// double-click writes (AnnotationTargetPath) for a format not named by title, and for the others "Title - Author" +
// extension, made a safe file name, where the title is known, else the book's file name + ".annotations" + extension.
std::filesystem::path ExportTargetPath(const std::filesystem::path& resultsFolder, const std::string& volumeId,
                                       const std::string& title, const std::string& author,
                                       const ExportFormatRow& format);

// Writes the volume under the target's name (overrideExisting) or its first free numbered variant, the same for
// every format. Failed when every numbered name is taken or no file of the name is there afterwards. Raises
// EFileError when the file cannot be written.
ExportResult WriteExportFile(std::string_view bytes, const std::string& extension, const std::filesystem::path& target,
                             bool overrideExisting);
// The same, the file's bytes written by contents.
ExportResult WriteExportFile(const FileFiller& contents, const std::string& extension,
                             const std::filesystem::path& target, bool overrideExisting);
// The same, the new file made by make.
ExportResult WriteExportFile(const FileMaker& make, const std::string& extension, const std::filesystem::path& target,
                             bool overrideExisting);

// The bytes a writer hands on, written into a new file (FileFiller); raises EFileError when one cannot be written.
class FileSink : public ByteSink {
public:
    FileSink(TemporaryFile& file, const std::filesystem::path& name) : m_file(file), m_name(name) {}
    void Take(std::string_view bytes) override;

private:
    TemporaryFile& m_file;
    const std::filesystem::path& m_name;
};
