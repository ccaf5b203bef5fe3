// Readers told by the files on their volumes, whatever their labels.
#include "ReadersByFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

TEST(ReadersByFilesTest, FindsKoboKOReaderAndKindleVolumesByTheirFiles) {
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const fs::path root = temporary.path().toStdString();
    Touch(root / "kobo" / ".kobo" / "KoboReader.sqlite");
    fs::create_directories(root / "kobo" / ".adds" / "koreader");
    Touch(root / "kindle" / "documents" / "My Clippings.txt");
    fs::create_directories(root / "kindle" / "koreader");
    Touch(root / "usbstick" / "documents" / "notes.txt");
    fs::create_directories(root / "half" / ".kobo" / "KoboReader.sqlite"); // a folder of that name is no database

    const ListedVolumes volumes({{root / "half", "KOBOeReader"},
                                 {root / "kindle", "Kindle"},
                                 {root / "kobo", "MY READER"},
                                 {root / "usbstick", "STICK"}});
    const std::vector<ReaderByFiles> readers = FindReadersByFiles(volumes);
    ASSERT_EQ(readers.size(), 2u);
    EXPECT_EQ(readers[0].root, root / "kindle");
    EXPECT_EQ(readers[0].label, "Kindle");
    EXPECT_TRUE(readers[0].kindleClippings);
    EXPECT_TRUE(readers[0].koreader);
    EXPECT_FALSE(readers[0].koboDatabase);
    EXPECT_EQ(readers[1].root, root / "kobo");
    EXPECT_TRUE(readers[1].koboDatabase);
    EXPECT_TRUE(readers[1].koreader);
    EXPECT_FALSE(readers[1].kindleClippings);

    // The labelled volume is the Kobo where it is mounted, else the one holding the database whatever its label; the
    // Kindle and the Kobo with KOReader hold other readers' highlights.
    EXPECT_EQ(FindKoboReader(volumes), root / "half");
    EXPECT_EQ(FindKoboReader(ListedVolumes({{root / "kindle", "Kindle"}, {root / "kobo", "MY READER"}})),
              root / "kobo");
    EXPECT_EQ(FindKoboReader(ListedVolumes({{root / "kindle", "Kindle"}})), fs::path());
    const std::vector<ReaderByFiles> others = FindOtherReaders(volumes);
    ASSERT_EQ(others.size(), 2u);
    EXPECT_EQ(others[0].root, root / "kindle");
    EXPECT_EQ(others[1].root, root / "kobo");
}

} // namespace
