// Finding the reader among mounted volumes.
#include "ReaderVolume.h"
#include "SystemVolumes.h"

#include <gtest/gtest.h>

namespace {

// The window's tests hand in volumes for the common cases of the label; these are the rarer ones.
TEST(ReaderVolumeTest, LabelIgnoresCaseButNotLength) {
    const auto find = [](const std::string& label) { return FindReaderVolume(ListedVolumes({{"/media/r", label}})); };
    EXPECT_EQ(find(" KOBOeReader"), "");
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

TEST(SystemVolumesTest, ListsTheRootFileSystemInRootOrder) {
    const std::vector<MountedVolume> volumes = SystemVolumes().Volumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().root, "/");
    for (std::size_t i = 1; i < volumes.size(); ++i)
        EXPECT_FALSE(volumes[i].root < volumes[i - 1].root) << volumes[i].root;
}

} // namespace
