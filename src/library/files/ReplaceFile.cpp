#include "ReplaceFile.h"

#include "TemporaryFile.h"

// The new file gets the bytes, then the name.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    ReplaceFile(file, [bytes](TemporaryFile& temporary, const std::filesystem::path& name) {
        if (const int error = temporary.Write(bytes))
            RaiseFileError("Cannot write file", name, error);
    });
}

void ReplaceFile(const std::filesystem::path& file, const FileFiller& contents) {
    ReplaceFile(file, MakeFilledFile(contents));
}

void ReplaceFile(const std::filesystem::path& file, const FileMaker& make) {
    const std::unique_ptr<TemporaryFile> temporary = make(file);
    // Delayed write errors (a full disk, a network share) show only when the file is closed.
    if (const int error = temporary->Close())
        RaiseFileError("Cannot write file", file, error);
    if (const int error = temporary->MoveTo(file))
        RaiseFileError("Cannot create file", file, error);
}
