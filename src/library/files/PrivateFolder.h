#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A folder of the user's own in the temporary folder, readable by the user alone, removed with everything in it when
// the object goes, also after an error, and on a signal that ends the process (PrivateFolderRegistry.h). While the
// object lives it holds an exclusive flock on the folder itself: a folder of this naming whose lock can be taken
// belongs to no living process, and the next reading removes it (RemoveStalePrivateFolders).
class PrivateFolder {
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    int m_lock = -1; // the folder, opened and locked
    int m_slot = -1; // in the table of folders that a signal removes
};

// The temporary folder that private folders go in: $TMPDIR, else /tmp.
std::filesystem::path PrivateFoldersBase();
// Whether a name is one that PrivateFolder gives: "marvik-" and six letters or digits.
bool IsPrivateFolderName(std::string_view name);

// Copies the file into folder under its own name, writable by the user whatever the original's permissions, since
// SQLite must replay a -wal or roll back a journal in the copy. Raises EFileError naming the file when it cannot be
// read, and the folder when the copy cannot be written there (a full temporary folder is no fault of the file).
std::filesystem::path CopyInto(const std::filesystem::path& file, const std::filesystem::path& folder,
                               const std::string& name);
