#include "ReplaceFile.h"

#include "TemporaryFile.h"

namespace {

// The new file gets the bytes, then the name; write is how the bytes go in.
template <class Write> void Replace(const std::filesystem::path& file, Write write) {
    TemporaryFile temporary(file);
    if (const int error = write(temporary))
        RaiseFileError("Cannot write file", file, error);
    // Delayed write errors (a full disk, a network share) show only when the file is closed.
    if (const int error = temporary.Close())
        RaiseFileError("Cannot write file", file, error);
    if (const int error = temporary.MoveTo(file))
        RaiseFileError("Cannot create file", file, error);
}

} // namespace

void ReplaceFile(const std::filesystem::path& file, const std::vector<std::string>& lines, std::string_view lineEnd) {
    Replace(file, [&](TemporaryFile& temporary) { return temporary.WriteLines(lines, lineEnd); });
}

void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    Replace(file, [bytes](TemporaryFile& temporary) { return temporary.Write(bytes); });
}
