#include "SystemVolumes.h"

#include <QFile>
#include <QStorageInfo>

std::string VolumeLabel(const std::string& fileSystemLabel, const std::filesystem::path& root) {
    if (!fileSystemLabel.empty())
        return fileSystemLabel;
    // "/media/u/KOBOeReader/" has an empty last element; its folder name is the one before it.
    const std::filesystem::path folder = root.has_filename() ? root.filename() : root.parent_path().filename();
    return QFile::decodeName(QByteArray::fromStdString(folder.string())).toStdString();
}

std::vector<MountedVolume> SystemVolumes::Volumes() const {
    std::vector<MountedVolume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        std::filesystem::path root(QFile::encodeName(storage.rootPath()).toStdString());
        std::string label = VolumeLabel(storage.name().toStdString(), root);
        volumes.push_back({std::move(root), std::move(label)});
    }
    SortByRoot(volumes);
    return volumes;
}
