// Backups of the reader's database: one checked, self-contained file each, the reader's folder left as it was.
#include "DatabaseBackup.h"
#include "BackupFiles.h"
#include "DyingWriter.h"
#include "FileContents.h"
#include "FileSizeLimit.h"
#include "Messages.h"
#include "ReaderFolderTest.h"
#include "RenderedExport.h"
#include "SampleBooks.h"
#include "TSQLiteDatabase.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;
const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";

// The process's time zone while it lives, as TZ sets it for a program started under it.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* before = std::getenv("TZ"))
            m_before = before;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (m_before)
            ::setenv("TZ", m_before->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::optional<std::string> m_before;
};

// The rules of Asia/Tokyo and America/Los_Angeles, written out so that no time zone database is needed.
constexpr const char* kTokyo = "JST-9";
constexpr const char* kLosAngeles = "PST8PDT,M3.2.0,M11.1.0";

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
        return RenderAnnotations(library, kWinter, {.setBom = false}, silent).value_or("");
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

TEST_F(DatabaseBackupTest, RotationNeverRemovesTheNewBackupWhoseLocalNameSortsFirst) {
    std::vector<BackupResult> east;
    {
        const TimeZone tokyo(kTokyo);
        east.push_back(BackUp(2));
        reader.Exec("UPDATE Bookmark SET Annotation = 'second'");
        east.push_back(BackUp(2));
    }
    reader.Exec("UPDATE Bookmark SET Annotation = 'west'");
    const TimeZone losAngeles(kLosAngeles);
    const BackupResult west = BackUp(2);
    EXPECT_EQ(west.removed, std::vector<fs::path>{east[0].file});
    EXPECT_EQ(fixture::FolderNames(backups),
              (std::set<std::string>{east[1].file.filename().string(), west.file.filename().string()}));
    EXPECT_NE(ExportFrom(west.file).find("\twest\r\n"), std::string::npos);
}

TEST_F(DatabaseBackupTest, BackupsAreOrderedByWhenTheyWereMadeOrByTheirNamesOnceCopiedWithoutTheirTimes) {
    fs::create_directories(backups);
    const auto made = [&](const std::string& name, std::time_t utc) {
        std::ofstream(backups / name) << name;
        fs::last_write_time(backups / name,
                            std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(utc)));
    };
    made("KoboReader-2026-03-01-100000.sqlite", 1772326800); // in Tokyo, at 01:00 UTC
    made("KoboReader-2026-02-28-180000.sqlite", 1772330400); // in Los Angeles an hour later
    // Copied later without their times: the time of the copy does not fit their names, which alone then count.
    made("KoboReader-2026-03-05-120000.sqlite", 1772331634);
    made("KoboReader-2026-02-20-120000.sqlite", 1772331634);
    EXPECT_EQ(ListBackups(backups), (std::vector<fs::path>{backups / "KoboReader-2026-02-20-120000.sqlite",
                                                           backups / "KoboReader-2026-03-01-100000.sqlite",
                                                           backups / "KoboReader-2026-02-28-180000.sqlite",
                                                           backups / "KoboReader-2026-03-05-120000.sqlite"}));
}

TEST_F(DatabaseBackupTest, RefusesWhatLoadingRefusesAndKeepsOrCountsNothing) {
    fs::create_directories(backups);
    const std::string old = "KoboReader-2020-01-01-000000.sqlite";
    std::ofstream(backups / old) << old;
    const fs::path empty = elsewhere / "empty.sqlite";
    std::ofstream(empty).flush();
    const fs::path notes = elsewhere / "notes.sqlite";
    TSQLiteDatabase(notes.string()).ExecSQL("CREATE TABLE notes(text)");
    reader.Exec("DROP TABLE content");
    reader.Close();
    for (const fs::path& file : {empty, notes, reader.Path()}) {
        SilentProgress silent;
        const LoadOutcome loaded = library.LoadDatabase(file, silent);
        EXPECT_EQ(loaded.kind, LoadOutcome::Kind::Failed) << file;
        EXPECT_EQ(fixture::MessageOf([&] { BackUpDatabase(file, backups, 1, progress); }), loaded.error);
        EXPECT_EQ(fixture::FolderNames(backups), std::set<std::string>{old});
    }
}

TEST_F(DatabaseBackupTest, AWalDatabaseIsCopiedIntoOneFileAndACopyCutShortLeavesNothing) {
    // Small pages make a database smaller than the shared memory file that a copy opened in WAL mode would need.
    reader.Exec("PRAGMA page_size=1024; VACUUM; PRAGMA journal_mode=WAL");
    reader.Close();
    const std::uintmax_t size = fs::file_size(reader.Path());
    ASSERT_LT(size, 32768u);
    fs::create_directories(backups);
    const auto backUpWithRoomFor = [&](std::uintmax_t bytes) {
        return fixture::RunWithFileSizeLimit(bytes, [&] { BackUpDatabase(reader.Path(), backups, 30, progress); });
    };
    const std::string cut = backUpWithRoomFor(size / 2);
    EXPECT_NE(cut, "");
    EXPECT_EQ(fixture::FolderNames(backups), std::set<std::string>{}) << cut;
    EXPECT_EQ(backUpWithRoomFor(size), "");
    const std::vector<fs::path> made = ListBackups(backups);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(fixture::FolderNames(backups), std::set<std::string>{made[0].filename().string()});
}

} // namespace
