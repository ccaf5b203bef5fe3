#include "ReadersByFiles.h"

#include "ReaderVolume.h"

#include <system_error>

namespace {

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

std::vector<ReaderByFiles> FindReadersByFiles(const VolumeSource& volumes) {
    std::vector<ReaderByFiles> readers;
    for (const MountedVolume& volume : volumes.Volumes()) {
        ReaderByFiles reader{volume.root, volume.label};
        reader.koboDatabase = IsFile(ReaderDatabasePath(volume.root));
        reader.koreader = IsFolder(volume.root / ".adds" / "koreader") || IsFolder(volume.root / "koreader");
        reader.kindleClippings = IsFile(volume.root / "documents" / "My Clippings.txt");
        if (reader.koboDatabase || reader.koreader || reader.kindleClippings)
            readers.push_back(std::move(reader));
    }
    return readers;
}

std::filesystem::path FindKoboReader(const VolumeSource& volumes) {
    if (std::filesystem::path labelled = FindReaderVolume(volumes); !labelled.empty())
        return labelled;
    for (const MountedVolume& volume : volumes.Volumes())
        if (IsFile(ReaderDatabasePath(volume.root)))
            return volume.root;
    return {};
}

std::vector<ReaderByFiles> FindOtherReaders(const VolumeSource& volumes) {
    std::vector<ReaderByFiles> readers = FindReadersByFiles(volumes);
    std::erase_if(readers, [](const ReaderByFiles& reader) { return !reader.koreader && !reader.kindleClippings; });
    return readers;
}
