// Backups of the reader's database: one checked, self-contained file each, the reader's folder left as it was.
#include "DatabaseBackup.h"
#include "BackupFiles.h"
#include "DyingWriter.h"
#include "FileContents.h"
#include "Messages.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"
#include "TSQLiteDatabase.h"

#include <fstream>

namespace {

namespace fs = std::filesystem;
const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";

class DatabaseBackupTest : public ReaderFolderTest {
protected:
    DatabaseBackupTest() {
        fixture::AddWinterVoyage(reader, kWinter);
        fs::remove(results); // the reader's folder holds the database alone, to be seen unchanged
    }
    // Backs up, and checks that the reader's folder stayed as it was.
    BackupResult BackUp(std::size_t keep = kDefaultBackupsKept) {
        reader.Close();
        const std::string before = fixture::FolderState(folder.Path());
        const BackupResult result = BackUpDatabase(reader.Path(), backups, keep, progress);
        EXPECT_EQ(fixture::FolderState(folder.Path()), before);
        return result;
    }
    // The book's export from a backup, loaded as any database file is.
    std::string ExportFrom(const fs::path& backup) {
        SilentProgress silent;
        library.LoadDatabase(backup, silent);
        return library.RenderAnnotations(kWinter, {.setBom = false}, silent).value_or("");
    }

    TempFolder elsewhere;
    fs::path backups = elsewhere / "backups";
};

TEST_F(DatabaseBackupTest, HoldsAPendingWalButNoUnfinishedTransaction) {
    reader.Exec("PRAGMA journal_mode=WAL");
    reader.Close();
    fixture::LeaveCommittedWal(reader.Path(), "UPDATE Bookmark SET Annotation = 'pending' WHERE BookmarkID = 'a'");
    const BackupResult wal = BackUp();
    EXPECT_EQ(fixture::FolderNames(backups), std::set<std::string>{wal.file.filename().string()});
    EXPECT_EQ(fixture::FileBytes(wal.file).substr(18, 2), "\x01\x01") << "rollback mode: no -wal wanted beside it";
    EXPECT_NE(ExportFrom(wal.file).find("It was cold that morning.\tpending\r\n"), std::string::npos);

    reader.Exec("PRAGMA journal_mode=DELETE");
    reader.Close();
    fixture::LeaveHotJournal(reader.Path(), "UPDATE Bookmark SET Annotation = 'unfinished'");
    EXPECT_EQ(ExportFrom(BackUp().file), ExportFrom(wal.file));

    // Another program at work, its pages already in the file: what it has not committed is not in the backup.
    TSQLiteDatabase writer(reader.Path().string());
    writer.ExecSQL("PRAGMA cache_size=1");
    writer.ExecSQL("BEGIN IMMEDIATE");
    writer.ExecSQL("UPDATE Bookmark SET Annotation = 'at work'");
    EXPECT_EQ(ExportFrom(BackUp().file), ExportFrom(wal.file));
    writer.ExecSQL("COMMIT");
}

TEST_F(DatabaseBackupTest, KeepsTheNewestNoneTwiceNoDamagedOneAndTouchesNoOtherFile) {
    fs::create_directories(backups);
    const std::vector<std::string> old = {"KoboReader-2020-01-01-000000.sqlite", "KoboReader-2020-01-02-000000.sqlite",
                                          "KoboReader-2020-01-02-000000-2.sqlite"};
    for (const std::string& name : {old[2], old[0], old[1], std::string("notes.txt"), std::string("KoboReader.sqlite")})
        std::ofstream(backups / name) << name;
    const BackupResult first = BackUp(3);
    EXPECT_EQ(first.removed, std::vector<fs::path>{backups / old[0]});
    const BackupResult same = BackUp(3);
    EXPECT_TRUE(same.duplicate && same.file == first.file && same.removed.empty() && !first.duplicate);

    reader.Exec("UPDATE Bookmark SET Annotation = 'changed'");
    const BackupResult changed = BackUp(2); // most likely in the same second as the first: a numbered variant
    EXPECT_EQ(changed.removed, (std::vector<fs::path>{backups / old[1], backups / old[2]}));
    EXPECT_EQ(ListBackups(backups), (std::vector<fs::path>{first.file, changed.file}));
    const std::set<std::string> kept = fixture::FolderNames(backups);
    EXPECT_EQ(kept.size(), 4u) << "notes.txt and KoboReader.sqlite stay";

    reader.Damage("Bookmark", "leaf");
    const std::string message = fixture::MessageOf([&] { BackUp(); });
    EXPECT_EQ(message.rfind("The database file is damaged, so no backup of it was kept.\r", 0), 0u) << message;
    EXPECT_EQ(fixture::FolderNames(backups), kept);
}

} // namespace
