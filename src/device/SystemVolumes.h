#pragma once

#include "VolumeSource.h"

// The volumes the system has mounted at the moment of the call.
class SystemVolumes : public VolumeSource {
public:
    std::vector<MountedVolume> Volumes() const override;
    // The kernel's mount table of this process: it signals an exceptional condition on each change.
    std::filesystem::path ChangeSignalFile() const override { return "/proc/self/mounts"; }
};

// The label a volume shows: its file system's label, or, when it has none that the system reports, the name of the
// folder it is mounted on, since udisks names that folder after the label (/media/USER/KOBOeReader).
std::string VolumeLabel(const std::string& fileSystemLabel, const std::filesystem::path& root);
