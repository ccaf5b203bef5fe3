#include "VolumeSource.h"

#include <algorithm>

ListedVolumes::ListedVolumes(std::vector<MountedVolume> volumes) : m_volumes(std::move(volumes)) {
    SortByRoot(m_volumes);
}

void SortByRoot(std::vector<MountedVolume>& volumes) {
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const MountedVolume& a, const MountedVolume& b) { return a.root < b.root; });
}
