// Backups of a reader's files that are no database: KOReader's sidecars and a Kindle's clippings, found on the
// reader's volume as the window finds them.
#include "ReaderFilesBackup.h"
#include "SourcePaths.h"
#include "TempFolder.h"
#include "sources/SourceFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ReaderFilesBackupTest : public ::testing::Test {
protected:
    ReaderFilesBackupTest() {
        const fs::path data = fixture::SourcesData();
        fs::create_directories(m_reader / "books" / "Sea.sdr");
        fs::copy_file(data / "koreader" / "books" / "86 Volume 13.sdr" / "metadata.epub.lua",
                      m_reader / "books" / "Sea.sdr" / "metadata.epub.lua");
        fs::create_directories(m_reader / "documents");
        fs::copy_file(data / "kindle" / "clippings-english.txt", m_reader / "documents" / "My Clippings.txt");
    }

    TempFolder m_work;
    fs::path m_reader = m_work / "reader", m_backups = m_work / "backups";
};

TEST_F(ReaderFilesBackupTest, CopiesSidecarsAndClippingsAtTheirPlacesOnceWhileTheyStayTheSame) {
    const std::vector<fs::path> files = OtherReadersFilesOf(m_reader);
    ASSERT_EQ(files.size(), 2u);
    const ReaderFilesBackupResult first = BackUpReaderFiles(m_reader, files, m_backups, 1730419200);
    EXPECT_EQ(first.copied, 2u);
    EXPECT_FALSE(first.duplicate);
    ASSERT_FALSE(first.folder.empty());
    EXPECT_EQ(Bytes(first.folder / "documents" / "My Clippings.txt"),
              Bytes(m_reader / "documents" / "My Clippings.txt"));
    EXPECT_EQ(Bytes(first.folder / "books" / "Sea.sdr" / "metadata.epub.lua"),
              Bytes(m_reader / "books" / "Sea.sdr" / "metadata.epub.lua"));

    // Connected again unchanged: the newest backup stands for it, no second copy, nothing half made left.
    const ReaderFilesBackupResult again = BackUpReaderFiles(m_reader, files, m_backups, 1730419200 + 60);
    EXPECT_TRUE(again.duplicate);
    EXPECT_EQ(again.folder, first.folder);
    EXPECT_EQ(ListReaderFilesBackups(m_backups), std::vector<fs::path>{first.folder});
    EXPECT_EQ(std::distance(fs::directory_iterator(m_backups), fs::directory_iterator()), 1);

    // A new highlight makes a new backup; only the newest `keep` stay.
    std::ofstream(m_reader / "documents" / "My Clippings.txt", std::ios::app) << "more\r\n==========\r\n";
    const ReaderFilesBackupResult changed = BackUpReaderFiles(m_reader, files, m_backups, 1730419200 + 120, 1 << 20, 1);
    EXPECT_FALSE(changed.duplicate);
    EXPECT_EQ(ListReaderFilesBackups(m_backups), std::vector<fs::path>{changed.folder});
}

TEST_F(ReaderFilesBackupTest, AFileOverTheLimitIsLeftOutAndTold) {
    const std::vector<fs::path> files = OtherReadersFilesOf(m_reader);
    const std::uintmax_t sidecar = fs::file_size(m_reader / "books" / "Sea.sdr" / "metadata.epub.lua");
    const std::uintmax_t clippings = fs::file_size(m_reader / "documents" / "My Clippings.txt");
    ASSERT_GT(sidecar, clippings);
    const ReaderFilesBackupResult result = BackUpReaderFiles(m_reader, files, m_backups, 1730419200, clippings);
    EXPECT_EQ(result.copied, 1u);
    EXPECT_EQ(result.tooLarge, std::vector<fs::path>{m_reader / "books" / "Sea.sdr" / "metadata.epub.lua"});
    EXPECT_FALSE(fs::exists(result.folder / "books"));
    EXPECT_TRUE(fs::exists(result.folder / "documents" / "My Clippings.txt"));

    // Nothing copied: no backup at all.
    const ReaderFilesBackupResult none = BackUpReaderFiles(m_reader, files, m_work / "none", 1730419200, 10);
    EXPECT_TRUE(none.folder.empty());
    EXPECT_EQ(none.tooLarge.size(), 2u);
    EXPECT_TRUE(ListReaderFilesBackups(m_work / "none").empty());
}

} // namespace
