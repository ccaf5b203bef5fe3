#pragma once

#include <filesystem>

// A folder of the user's own in the temporary folder, readable by the user alone, removed with everything in it when
// the object goes, also after an error.
class PrivateFolder {
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Copies the file into folder under its own name, writable by the user whatever the original's permissions, since
// SQLite must replay a -wal or roll back a journal in the copy. Raises EFileError.
std::filesystem::path CopyInto(const std::filesystem::path& file, const std::filesystem::path& folder,
                               const std::string& name);
