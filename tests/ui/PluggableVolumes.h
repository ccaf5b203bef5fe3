#pragma once

#include "VolumeSource.h"

#include <vector>

// Volumes a test plugs in and out while the window runs.
class PluggableVolumes : public VolumeSource {
public:
    std::vector<MountedVolume> mounted;
    std::vector<MountedVolume> Volumes() const override { return mounted; }
};
