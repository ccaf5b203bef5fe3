// marvik-cli archive end to end: a folder of backups added twice, its status, the backup that adds itself, and the
// usage errors.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "ScopedEnvironment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";

class ArchiveCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_backups);
        const fs::path older = m_backups / "KoboReader-2024-11-01-100000.sqlite";
        {
            fixture::ReaderDatabase db(older);
            db.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
            for (const char* id : {"h1", "h2", "h3"})
                db.AddBookmark({.bookmarkId = id, .volumeId = kBook, .contentId = kBook + "#1", .text = id});
            db.Exec("UPDATE Bookmark SET Annotation = 'first' WHERE BookmarkID = 'h1'");
            db.AddAnalyticsTables();
            db.AddSession({.id = "s1", .timestamp = "2024-11-01T09:00:00Z", .secondsRead = 60});
        }
        const fs::path newer = m_backups / "KoboReader-2024-11-05-100000.sqlite";
        fs::copy_file(older, newer);
        fixture::ReaderDatabase db(newer, fixture::ReaderDatabase::Existing);
        db.Exec("DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
        db.Exec("UPDATE Bookmark SET Annotation = 'second' WHERE BookmarkID = 'h1'");
        db.AddBookmark({.bookmarkId = "h4", .volumeId = kBook, .contentId = kBook + "#1", .text = "h4"});
        db.Exec("DELETE FROM AnalyticsEvents");
        db.AddSession({.id = "s2", .timestamp = "2024-11-05T09:00:00Z", .secondsRead = 30});
    }

    ChildResult Cli(const std::vector<std::string>& arguments) {
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    TempFolder m_work;
    fixture::ScopedEnvironment m_data{"XDG_DATA_HOME", m_work / "data"};
    fs::path m_backups = m_work / "backups";
    fs::path m_archive = m_work / "data" / "marvik" / "archive.sqlite";
};

TEST_F(ArchiveCommandTest, AFolderOfBackupsIsAddedOnceAndItsStatusTold) {
    const ChildResult add = Cli({"archive", "add", "backups"});
    ASSERT_EQ(add.exitStatus, 0) << add.err;
    EXPECT_EQ(add.out, "2 databases added: 4 new highlights, 1 changed, 1 gone from the reader, 2 new sessions\n");
    EXPECT_EQ(add.err, "");

    const std::string bytes = fixture::FileBytes(m_archive);
    const ChildResult again = Cli({"archive", "add", "backups", "backups/KoboReader-2024-11-01-100000.sqlite"});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(again.out, "0 databases added (3 were there already, unchanged): nothing new\n");
    EXPECT_EQ(fixture::FileBytes(m_archive), bytes);

    const ChildResult status = Cli({"archive", "status", "--format", "json"});
    EXPECT_EQ(status.exitStatus, 0) << status.err;
    for (const std::string& member :
         std::vector<std::string>{"\"books\": 1", "\"highlights\": 4", "\"gone\": 1", "\"sessions\": 2",
                                  "\"path\": \"" + m_backups.string() + "\"", "\"databases\": 2"})
        EXPECT_NE(status.out.find(member), std::string::npos) << member << "\n" << status.out;
    const ChildResult text = Cli({"archive", "status", "--archive", m_archive.string()});
    EXPECT_NE(text.out.find("gone from the reader: 1\n"), std::string::npos) << text.out;
}

TEST_F(ArchiveCommandTest, EveryBackupIsAddedAndAFailedAddIsOnlyAWarning) {
    const fs::path reader = m_work / "KoboReader.sqlite";
    fs::copy_file(m_backups / "KoboReader-2024-11-05-100000.sqlite", reader);
    const ChildResult backup = Cli({"backup", "--db", reader.string(), "--to", "saved"});
    ASSERT_EQ(backup.exitStatus, 0) << backup.err;
    EXPECT_EQ(backup.err, "");
    const ChildResult status = Cli({"archive", "status", "--format=json"});
    EXPECT_NE(status.out.find("\"highlights\": 3"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("\"path\": \"" + (m_work / "saved").string() + "\""), std::string::npos) << status.out;

    // An archive that cannot be used: the backup is made all the same.
    fs::create_directory(m_work / "folder.sqlite");
    const ChildResult warned =
        Cli({"backup", "--db", reader.string(), "--to", "other", "--archive", (m_work / "folder.sqlite").string()});
    EXPECT_EQ(warned.exitStatus, 0) << warned.err;
    EXPECT_TRUE(warned.err.starts_with("marvik-cli: warning: the backup was not added to the archive ")) << warned.err;
    EXPECT_TRUE(fs::is_regular_file(m_work / warned.out.substr(0, warned.out.size() - 1))) << warned.out;
}

TEST_F(ArchiveCommandTest, WrongArgumentsAreUsageErrorsAndWrongPathsErrors) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"archive"},
                                               {"archive", "frob"},
                                               {"archive", "add"},
                                               {"archive", "status", "backups"},
                                               {"archive", "status", "--format", "csv"},
                                               {"archive", "add", "--format", "json", "backups"},
                                               {"archive", "add", "--db", "x", "backups"}}) {
        const ChildResult run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, 2) << testing::PrintToString(arguments);
        EXPECT_NE(run.err.find("Usage:"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(m_archive));

    const ChildResult missing = Cli({"archive", "add", "backups", "missing.sqlite"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "not found: missing.sqlite\n");
    EXPECT_FALSE(fs::exists(m_archive)); // every path is looked at first

    std::ofstream(m_work / "notes.txt") << "not a database";
    const ChildResult text = Cli({"archive", "add", "notes.txt"});
    EXPECT_EQ(text.exitStatus, 1);
    EXPECT_NE(text.err.find("marvik-cli: not added to the archive: notes.txt: The file is not a reader database"),
              std::string::npos)
        << text.err;
}

} // namespace
