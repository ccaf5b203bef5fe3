#include "WriteNumberedFile.h"

#include "MakeNumberedFileName.h"
#include "TemporaryFile.h"

#include <cerrno>
#include <system_error>

namespace {

constexpr int kNumbers = 10000;

bool IsFolder(const std::filesystem::path& name) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::symlink_status(name, error));
}

} // namespace

std::filesystem::path WriteNumberedFile(const std::filesystem::path& target, const std::string& extension,
                                        std::string_view bytes) {
    return WriteNumberedFile(target, extension, [bytes](TemporaryFile& file, const std::filesystem::path& name) {
        if (const int error = file.Write(bytes))
            RaiseFileError("Cannot write file", name, error);
    });
}

std::filesystem::path WriteNumberedFile(const std::filesystem::path& target, const std::string& extension,
                                        const FileFiller& contents) {
    return WriteNumberedFile(target, extension, MakeFilledFile(contents));
}

std::filesystem::path WriteNumberedFile(const std::filesystem::path& target, const std::string& extension,
                                        const FileMaker& make) {
    std::filesystem::path name = MakeNumberedFileName(target, extension);
    if (name.empty())
        return {};
    const std::unique_ptr<TemporaryFile> file = make(name);
    TemporaryFile& temporary = *file;
    if (const int error = temporary.Close())
        RaiseFileError("Cannot write file", name, error);
    // The name is taken only where nothing has it, so a name that was free when looked at but is not any more (a
    // link made meanwhile, another export) is looked for afresh rather than replaced.
    for (int attempt = 0; attempt < kNumbers && !name.empty(); ++attempt) {
        const int error = temporary.MoveToNew(name);
        if (error == 0)
            return name;
        // A folder does not count as a file: its name is chosen, and writing there fails.
        if (error != EEXIST || IsFolder(name))
            RaiseFileError("Cannot create file", name, error == EEXIST ? EISDIR : error);
        name = MakeNumberedFileName(target, extension);
    }
    return {};
}
