#pragma once

#include <filesystem>
#include <string_view>

// A new file for a target, written before it takes the target's name (or another's), so that no name ever shows a
// half-written file. Raises EFileError when it cannot be created.
//
// Where the target's folder is on a local file system that makes files without a name (O_TMPFILE), the file has none
// until it takes one: no other name is made, renamed or cleaned away, and a process that dies leaves nothing behind.
// Elsewhere, or where asked for, it is a file beside the target under a name of its own (StaleTemporaryFiles.h),
// removed again unless it has taken a name, and locked while it has its own name, so that a later writer that cleans
// the folder leaves it alone.
class TemporaryFile {
public:
    enum class Kind {
        Unnamed, // without a name where the file system allows
        Named,   // always under a name of its own: for a file that others open by its name before it takes the target's
    };
    explicit TemporaryFile(const std::filesystem::path& target, Kind kind = Kind::Unnamed);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Its own name; empty for a file without one.
    const std::filesystem::path& Path() const { return m_path; }

    // Each returns the error number, 0 on success.
    int Write(std::string_view bytes);
    // Closes the written descriptor (delayed write errors show here); the lock holds until the file has a name. A file
    // without a name keeps its descriptor until it has one: the file systems that make such files report write errors
    // when the write is made.
    int Close();
    // Takes target's name, replacing a file of that name.
    int MoveTo(const std::filesystem::path& target);
    // Takes target's name only where nothing has it (a folder, a link to nothing): EEXIST otherwise.
    int MoveToNew(const std::filesystem::path& target);

private:
    void CreateNamed(const std::filesystem::path& folder, const std::filesystem::path& target);
    bool CreateUnnamed(const std::filesystem::path& folder, const std::filesystem::path& target);
    int LinkTo(const std::filesystem::path& target);
    void Lock();
    int Moved(int rc);

    std::filesystem::path m_path;
    int m_fd = -1;
    int m_lockFd = -1;
    bool m_unnamed = false; // until it has taken a name
};

// Raises EFileError: what (e.g. "Cannot write file"), the file, and the system's reason for error.
[[noreturn]] void RaiseFileError(const char* what, const std::filesystem::path& file, int error);
