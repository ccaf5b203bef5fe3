#include "ReaderVolume.h"

#include <QString>

namespace {

QString UpperCased(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUpper();
}

} // namespace

std::filesystem::path FindVolumeByLabel(const VolumeSource& volumes, std::string_view label) {
    const QString wanted = UpperCased(label);
    for (const MountedVolume& volume : volumes.Volumes())
        if (UpperCased(volume.label) == wanted)
            return volume.root;
    return {};
}

std::filesystem::path FindReaderVolume(const VolumeSource& volumes) {
    return FindVolumeByLabel(volumes, kReaderVolumeLabel);
}

std::filesystem::path ReaderDatabasePath(const std::filesystem::path& root) {
    return root / ".kobo" / kReaderDatabaseFileName;
}
