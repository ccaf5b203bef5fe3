#pragma once

#include <filesystem>
#include <string_view>

// A new file beside a target, under a name of its own (StaleTemporaryFiles.h); removed again unless it has taken a
// name. It stays locked while it has its own name, so that a later writer that cleans the folder leaves it alone.
// Raises EFileError when it cannot be created.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Each returns the error number, 0 on success.
    int Write(std::string_view bytes);
    // Closes the written descriptor (delayed write errors show here); the lock holds until the file has a name.
    int Close();
    // Takes target's name, replacing a file of that name.
    int MoveTo(const std::filesystem::path& target);
    // Takes target's name only where no file has it: EEXIST otherwise.
    int MoveToNew(const std::filesystem::path& target);

private:
    void Lock();
    int Moved(int rc);

    std::filesystem::path m_path;
    int m_fd = -1;
    int m_lockFd = -1;
};

// Raises EFileError: what (e.g. "Cannot write file"), the file, and the system's reason for error.
[[noreturn]] void RaiseFileError(const char* what, const std::filesystem::path& file, int error);
