#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One mounted volume: the folder it is mounted on and its label (UTF-8).
struct MountedVolume {
    std::filesystem::path root;
    std::string label;
};

// The mounted volumes in the order of their root paths: the fixed order in which the reader is looked for.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // Asked afresh at every call, so a reader plugged in or removed meanwhile is seen.
    virtual std::vector<MountedVolume> Volumes() const = 0;
    // A file that the system marks as changed whenever the mounted volumes change, for watching them without asking
    // again and again; empty when the source gives no such sign.
    virtual std::filesystem::path ChangeSignalFile() const { return {}; }
};

// Volumes handed in by the caller, such as a test or a fixed configuration.
class ListedVolumes : public VolumeSource {
public:
    explicit ListedVolumes(std::vector<MountedVolume> volumes);
    std::vector<MountedVolume> Volumes() const override { return m_volumes; }

private:
    std::vector<MountedVolume> m_volumes;
};

// Puts the volumes in the order of their root paths; volumes with equal roots keep their order.
void SortByRoot(std::vector<MountedVolume>& volumes);
