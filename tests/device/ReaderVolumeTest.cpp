// Finding the reader among mounted volumes.
#include "ReaderVolume.h"
#include "SystemVolumes.h"

#include <QFile>
#include <QStorageInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

// The window's tests hand in volumes for the common cases of the label; these are the rarer ones.
TEST(ReaderVolumeTest, LabelIgnoresCaseButNotLength) {
    const auto find = [](const std::string& label) { return FindReaderVolume(ListedVolumes({{"/media/r", label}})); };
    EXPECT_EQ(find(" KOBOeReader"), "");
    EXPECT_EQ(find("KOBOeReader "), "");
    EXPECT_EQ(find(""), "");
    // Upper-casing is Unicode, not ASCII only.
    EXPECT_EQ(FindVolumeByLabel(ListedVolumes({MountedVolume{"/media/x", "liseuse élève"}}), "LISEUSE ÉLÈVE"),
              "/media/x");
}

TEST(SystemVolumesTest, MountFolderNameStandsInForMissingLabel) {
    EXPECT_EQ(VolumeLabel("KOBOeReader", "/media/u/disk"), "KOBOeReader");
    EXPECT_EQ(VolumeLabel("", "/media/u/KOBOeReader"), "KOBOeReader");
    EXPECT_EQ(VolumeLabel("", "/media/u/KOBOeReader/"), "KOBOeReader");
    EXPECT_EQ(VolumeLabel("", "/"), "");
}

// What is mounted differs from host to host (a chroot may list nothing, a container bind-mounts single files); what
// holds everywhere is that every volume the system reports is listed once, in root order.
TEST(SystemVolumesTest, ListsEveryMountedVolumeInRootOrder) {
    const std::vector<MountedVolume> volumes = SystemVolumes().Volumes();
    std::multiset<std::filesystem::path> listed, mounted;
    for (const MountedVolume& volume : volumes)
        listed.insert(volume.root);
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes())
        mounted.insert(QFile::encodeName(storage.rootPath()).toStdString());
    EXPECT_EQ(listed, mounted);
    EXPECT_TRUE(
        std::is_sorted(volumes.begin(), volumes.end(), [](const auto& a, const auto& b) { return a.root < b.root; }));
}

// The window watches this file to see a reader the moment it is mounted.
TEST(SystemVolumesTest, SignalsChangesThroughAFileThatCanBeWatched) {
    const std::filesystem::path signal = SystemVolumes().ChangeSignalFile();
    QFile file(QFile::decodeName(QByteArray::fromStdString(signal.string())));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << signal;
}

} // namespace
