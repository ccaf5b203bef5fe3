#include "PrivateFolder.h"

#include "EFileError.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

PrivateFolder::PrivateFolder() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    std::string pattern = (base / "marvik-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw EFileError("Cannot create a private folder in \"" + base.string() +
                         "\": " + std::generic_category().message(errno));
    m_path = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::filesystem::path CopyInto(const std::filesystem::path& file, const std::filesystem::path& folder,
                               const std::string& name) {
    const std::filesystem::path copy = folder / name;
    std::error_code error;
    std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing, error);
    if (!error)
        std::filesystem::permissions(copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     error);
    if (error)
        throw EFileError("Cannot copy \"" + file.string() + "\": " + error.message());
    return copy;
}
