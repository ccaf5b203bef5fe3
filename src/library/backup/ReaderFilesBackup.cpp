#include "ReaderFilesBackup.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "ReaderFiles-";

std::string Stamp(std::time_t made) {
    std::tm local{};
    localtime_r(&made, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d-%H%M%S", &local);
    return text;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file below folder by its path relative to it, in order.
std::vector<fs::path> FilesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(folder, error); !error && entry != fs::end(entry);
         entry.increment(error))
        if (entry->is_regular_file(error))
            files.push_back(fs::relative(entry->path(), folder, error));
    std::sort(files.begin(), files.end());
    return files;
}

bool SameFiles(const fs::path& one, const fs::path& other) {
    const std::vector<fs::path> files = FilesBelow(one);
    if (files != FilesBelow(other))
        return false;
    return std::all_of(files.begin(), files.end(), [&](const fs::path& file) {
        std::error_code error;
        return fs::file_size(one / file, error) == fs::file_size(other / file, error) &&
               Bytes(one / file) == Bytes(other / file);
    });
}

} // namespace

std::vector<fs::path> ListReaderFilesBackups(const fs::path& backups) {
    std::vector<fs::path> found;
    std::error_code error;
    for (auto entry = fs::directory_iterator(backups, error); !error && entry != fs::end(entry); entry.increment(error))
        if (entry->is_directory(error) && entry->path().filename().string().starts_with(kPrefix) &&
            entry->path().extension() != ".partial")
            found.push_back(entry->path());
    // The stamp sorts as the times do; a later one of the same second has its number after it.
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        const std::string x = a.filename().string(), y = b.filename().string();
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    return found;
}

ReaderFilesBackupResult BackUpReaderFiles(const fs::path& root, const std::vector<fs::path>& files,
                                          const fs::path& backups, std::time_t made, std::uintmax_t limit,
                                          std::size_t keep) {
    ReaderFilesBackupResult result;
    fs::create_directories(backups);
    std::string name = std::string(kPrefix) + Stamp(made);
    for (int variant = 2; fs::exists(backups / name); ++variant)
        name = std::string(kPrefix) + Stamp(made) + "-" + std::to_string(variant);
    const fs::path partial = backups / (name + ".partial");
    struct Removal {
        fs::path folder;
        ~Removal() {
            std::error_code ignored;
            if (!folder.empty())
                fs::remove_all(folder, ignored);
        }
    } unfinished{partial};
    fs::create_directories(partial);
    for (const fs::path& file : files) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(file, error);
        if (error) {
            result.unreadable.push_back(file);
            continue;
        }
        if (size > limit) {
            result.tooLarge.push_back(file);
            continue;
        }
        const fs::path target = partial / fs::relative(file, root);
        fs::create_directories(target.parent_path());
        if (!fs::copy_file(file, target, fs::copy_options::overwrite_existing, error)) {
            result.unreadable.push_back(file);
            continue;
        }
        ++result.copied;
    }
    if (result.copied == 0)
        return result;
    const std::vector<fs::path> earlier = ListReaderFilesBackups(backups);
    if (!earlier.empty() && SameFiles(earlier.back(), partial)) {
        result.folder = earlier.back();
        result.duplicate = true;
        return result;
    }
    fs::rename(partial, backups / name);
    unfinished.folder.clear();
    result.folder = backups / name;
    const std::vector<fs::path> kept = ListReaderFilesBackups(backups);
    for (std::size_t i = 0; i + std::max<std::size_t>(keep, 1) < kept.size(); ++i) {
        std::error_code ignored;
        fs::remove_all(kept[i], ignored);
    }
    return result;
}
