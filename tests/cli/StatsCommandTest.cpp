// marvik-cli stats end to end: a database and a folder of backups that overlap, in each format.
#include "ChildProcess.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";

void AddBook(fixture::ReaderDatabase& db, int timeSpent) {
    db.AddBook({.volumeId = kBook, .title = "Winter, \"Voyage\"", .author = "Ann Berg"});
    db.SetReading(kBook, {.timeSpentReading = timeSpent,
                          .percentRead = 40,
                          .readStatus = 1,
                          .dateLastRead = "2024-11-14T12:00:00Z",
                          .isbn = "urn:uuid:1"});
    db.AddBookmark({.bookmarkId = "h1", .volumeId = kBook, .contentId = kBook + "#1", .text = "Ice."});
    db.AddAnalyticsTables();
}

void AddSession(fixture::ReaderDatabase& db, const std::string& id, const std::string& time, int seconds) {
    db.AddSession({.id = id,
                   .timestamp = time,
                   .title = "Winter, \"Voyage\"",
                   .author = "Ann Berg",
                   .isbn = "urn:uuid:1",
                   .secondsRead = seconds,
                   .pagesTurned = 3,
                   .attributes = "{\"author\": \"Ann Berg\",\"isbn\": \"urn:uuid:1\",\"title\": \"Winter\"}"});
}

class StatsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_backups);
        fixture::ReaderDatabase backup(m_backups / "KoboReader-2024-11-13-200000.sqlite");
        AddBook(backup, 100);
        AddSession(backup, "a", "2024-11-13T12:00:00Z", 100);
        fixture::ReaderDatabase db(m_database);
        AddBook(db, 160);
        AddSession(db, "a", "2024-11-13T12:00:00Z", 100); // not yet synced away: in both
        AddSession(db, "b", "2024-11-14T12:00:00Z", 60);
    }

    ChildResult Stats(std::vector<std::string> options) {
        options.insert(options.begin(), {"stats", "--db", m_database.string()});
        return RunChild(MARVIK_CLI_EXECUTABLE, options, m_work.Path());
    }

    TempFolder m_work;
    fs::path m_database = m_work / "KoboReader.sqlite";
    fs::path m_backups = m_work / "backups";
};

TEST_F(StatsCommandTest, JsonIsADocumentOfTheSchemaWithEachSessionOnce) {
    const ChildResult run = Stats({"--backups", m_backups.string(), "--format", "json"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const fs::path printed = m_work / "stats.json";
    std::ofstream(printed) << run.out;
    const ChildResult check =
        RunChild(MARVIK_PYTHON3,
                 {"-c",
                  "import json, sys, jsonschema\n"
                  "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))",
                  printed.string(), MARVIK_STATISTICS_SCHEMA},
                 m_work.Path());
    EXPECT_EQ(check.exitStatus, 0) << check.err;
    EXPECT_NE(run.out.find("\"databases\": 2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"sessions\": 2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"sessionSeconds\": 160"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"repeatedSessions\": 1"), std::string::npos) << run.out;
}

TEST_F(StatsCommandTest, TextAndCsvTellTheSameFigures) {
    const ChildResult text = Stats({"--no-backups"});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    EXPECT_NE(text.out.find("Winter, \"Voyage\"  Ann Berg     2m 40s         2      6      40 %  reading"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("2024-11-14     1m 00s         1      1"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("1 books, 2m 40s read, 2 sessions, from 1 database"), std::string::npos) << text.out;

    const ChildResult csv = Stats({"--no-backups", "--format=csv"});
    ASSERT_EQ(csv.exitStatus, 0) << csv.err;
    EXPECT_EQ(csv.out, "record,date,title,author,volume_id,seconds_read,sessions,pages_turned,books,progress,status,"
                       "first_read,last_read,finished,highlights\r\n"
                       "book,,\"Winter, \"\"Voyage\"\"\",Ann Berg," +
                           kBook +
                           ",160,2,6,,40,reading,2024-11-13T12:00:00Z,"
                           "2024-11-14T12:00:00Z,,1\r\n"
                           "day,2024-11-13,,,,100,1,,1,,,,,,\r\n"
                           "day,2024-11-14,,,,60,1,,1,,,,,,\r\n");
}

TEST_F(StatsCommandTest, MistakesAreUsageErrorsAndAMissingDatabaseAnError) {
    EXPECT_EQ(Stats({"--backups", "x", "--no-backups"}).exitStatus, 2);
    EXPECT_EQ(Stats({"--format", "markdown"}).exitStatus, 2);
    const ChildResult missing =
        RunChild(MARVIK_CLI_EXECUTABLE, {"stats", "--db", (m_work / "none.sqlite").string()}, m_work.Path());
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("database file not found"), std::string::npos) << missing.err;

    // A backups folder named but not there, or no folder, is said so: none of its backups would be read.
    ASSERT_EQ(mkfifo((m_work / "fifo").c_str(), 0600), 0);
    const struct {
        fs::path folder;
        std::string says;
    } notFolders[] = {{m_work / "absent", "backups folder not found: "},
                      {m_database, "backups folder is not a folder: "},
                      {m_work / "fifo", "backups folder is not a folder: "},
                      {"/dev/null", "backups folder is not a folder: "}};
    for (const auto& [folder, says] : notFolders) {
        const ChildResult run = Stats({"--backups", folder.string()});
        EXPECT_EQ(run.exitStatus, 1) << folder;
        EXPECT_EQ(run.err, says + folder.string() + "\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(StatsCommandTest, CellsAndWarningsSayOnlyWhatTheyHold) {
    // A title a spreadsheet would run as a formula stays text; a backup's warning keeps to its own lines.
    {
        fixture::ReaderDatabase db(m_database, fixture::ReaderDatabase::Existing);
        db.Exec("UPDATE content SET Title = '=HYPERLINK(\"http://x\")' WHERE ContentID = '" + kBook + "'");
    }
    std::ofstream(m_backups / "KoboReader-2024-11-12-200000.sqlite") << "not a database";
    const ChildResult csv = Stats({"--backups", m_backups.string(), "--format=csv"});
    ASSERT_EQ(csv.exitStatus, 0) << csv.err;
    EXPECT_NE(csv.out.find("\r\nbook,,\"'=HYPERLINK(\"\"http://x\"\")\",Ann Berg,"), std::string::npos) << csv.out;
    EXPECT_EQ(csv.err.find('\r'), std::string::npos) << csv.err;
    EXPECT_TRUE(csv.err.starts_with(
        "marvik-cli: backup left out: " + (m_backups / "KoboReader-2024-11-12-200000.sqlite").string() + ": "))
        << csv.err;
}

} // namespace
