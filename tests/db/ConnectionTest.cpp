// Opening files, running statements and the error reports, on real database files.
#include "Messages.h"
#include "ReaderDatabase.h"
#include "SQLiteErrorMessage.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

namespace {

std::string Report(const std::string& message, int code, const std::string& codeText, const std::string& sql,
                   const std::string& libraryText) {
    return message + ".\rError [" + std::to_string(code) + "]: " + codeText + ".\r\"" + sql + "\": " + libraryText;
}

using fixture::MessageOf;

// No statement may outlive the operation that prepared it, whatever way it ended.
void ExpectNoOpenStatement(const TSQLiteDatabase& db) {
    EXPECT_EQ(sqlite3_next_stmt(db.Handle(), nullptr), nullptr);
}

class ConnectionTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = (folder / "KoboReader.sqlite").string();
};

TEST(SQLiteErrorMessageTest, KnownCodesHaveTheirTextsAndOthersAreUnknown) {
    EXPECT_EQ(SQLiteErrorMessage(0), "Successful result");
    EXPECT_EQ(SQLiteErrorMessage(5), "The database file is locked");
    EXPECT_EQ(SQLiteErrorMessage(19), "Abort due to contraint violation");
    EXPECT_EQ(SQLiteErrorMessage(26), "File opened that is not a database file");
    EXPECT_EQ(SQLiteErrorMessage(100), "sqlite3_step() has another row ready");
    EXPECT_EQ(SQLiteErrorMessage(101), "sqlite3_step() has finished executing");
    EXPECT_EQ(SQLiteErrorMessage(27), "Unknown SQLite Error Code \"27\"");
    EXPECT_EQ(SQLiteErrorMessage(99), "Unknown SQLite Error Code \"99\"");
    EXPECT_EQ(SQLiteErrorMessage(102), "Unknown SQLite Error Code \"102\"");
    EXPECT_EQ(SQLiteErrorMessage(-1), "Unknown SQLite Error Code \"-1\"");
    EXPECT_EQ(SQLiteErrorMessage(266), "Unknown SQLite Error Code \"266\"");
}

TEST_F(ConnectionTest, PathInMissingFolderCannotBeOpened) {
    const std::string missing = (folder / "no such folder" / "KoboReader.sqlite").string();
    EXPECT_EQ(MessageOf([&] { TSQLiteDatabase db(missing); }),
              "Failed to open database \"" + missing + "\" : unable to open database file");
    EXPECT_FALSE(std::filesystem::exists(folder / "no such folder"));
}

TEST_F(ConnectionTest, FileThatIsNoDatabaseFailsAtTheFirstQueryAndStaysUsable) {
    std::ofstream(path) << "These are my notes, not a database.\nThey go on for a while.\n" << std::string(600, 'x');
    TSQLiteDatabase db(path);
    const std::string sql = "SELECT VolumeID FROM Bookmark";
    const std::string expected =
        Report("Error executing SQL", 26, "File opened that is not a database file", sql, "file is not a database");
    EXPECT_EQ(MessageOf([&] { db.GetTable(sql); }), expected);
    EXPECT_EQ(MessageOf([&] { db.GetTable(sql); }), expected);
    ExpectNoOpenStatement(db);
}

TEST_F(ConnectionTest, EmptyFileAndMissingTableFailInPreparation) {
    std::ofstream(path).flush();
    {
        TSQLiteDatabase db(path);
        EXPECT_EQ(MessageOf([&] { db.GetTable("SELECT VolumeID FROM Bookmark"); }),
                  Report("Error executing SQL", 1, "SQL error or missing database", "SELECT VolumeID FROM Bookmark",
                         "no such table: Bookmark"));
    }
    EXPECT_EQ(std::filesystem::file_size(path), 0u) << "a failed read must not write to the file";

    const std::string other = (folder / "other.sqlite").string();
    fixture::ReaderDatabase reader(other);
    reader.Exec("DROP TABLE content");
    reader.Close();
    TSQLiteDatabase db(other);
    EXPECT_EQ(db.GetTable("SELECT VolumeID FROM Bookmark").Count(), 0u);
    EXPECT_EQ(MessageOf([&] { db.GetTable("SELECT ContentID, Attribution FROM content"); }),
              Report("Error executing SQL", 1, "SQL error or missing database",
                     "SELECT ContentID, Attribution FROM content", "no such table: content"));
    EXPECT_EQ(MessageOf([&] { db.GetTable("SELECT Nope FROM Bookmark"); }),
              Report("Error executing SQL", 1, "SQL error or missing database", "SELECT Nope FROM Bookmark",
                     "no such column: Nope"));
}

TEST_F(ConnectionTest, TruncatedDatabaseFailsAsMalformed) {
    {
        fixture::ReaderDatabase reader(path);
        reader.Exec("BEGIN");
        for (int i = 0; i < 400; ++i)
            reader.AddBookmark({.bookmarkId = "bm" + std::to_string(i),
                                .volumeId = "file:///mnt/onboard/Book" + std::to_string(i % 7) + ".epub",
                                .contentId = "part",
                                .text = std::string(300, 'a' + i % 26)});
        reader.Exec("COMMIT");
    }
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    TSQLiteDatabase db(path);
    const std::string sql = "SELECT BookmarkID, Text FROM Bookmark";
    EXPECT_EQ(MessageOf([&] { db.GetTable(sql); }),
              Report("Error executing SQL", 11, "The database disk image is malformed", sql,
                     "database disk image is malformed"));
    ExpectNoOpenStatement(db);
}

TEST_F(ConnectionTest, LockedDatabaseFailsAtOnceWithCodeFive) {
    fixture::ReaderDatabase reader(path);
    reader.AddBookmark({.bookmarkId = "a", .volumeId = "v", .contentId = "c"});
    TSQLiteDatabase warm(path);
    EXPECT_EQ(warm.GetTable("SELECT * FROM Bookmark").Count(), 1u);

    reader.Exec("BEGIN EXCLUSIVE; INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, "
                "StartContainerChildIndex, StartOffset, EndContainerPath, EndContainerChildIndex, EndOffset) "
                "VALUES ('b', 'v', 'c', '', 0, 0, '', 0, 0)");

    // A new connection must read the schema, so its preparation meets the lock.
    TSQLiteDatabase fresh(path);
    const std::string sql = "SELECT VolumeID FROM Bookmark";
    EXPECT_EQ(MessageOf([&] { fresh.GetTable(sql); }),
              Report("Error executing SQL", 5, "The database file is locked", sql, "database is locked"));
    // A connection that knows the schema prepares, and the first step meets the lock.
    EXPECT_EQ(MessageOf([&] { warm.GetTable(sql); }), "Could not prepare SQL statement");
    const std::string update = "UPDATE Bookmark SET Text = 'x'";
    EXPECT_EQ(MessageOf([&] { warm.ExecSQL(update); }),
              Report("Error executing SQL statement", 5, "The database file is locked", update, "database is locked"));
    ExpectNoOpenStatement(warm);

    reader.Exec("COMMIT");
    EXPECT_EQ(warm.GetTable(sql).Count(), 2u) << "the connection stays usable once the lock is gone";
}

TEST_F(ConnectionTest, ExecSQLWithoutAStatementFailsWithTheBareMessage) {
    TSQLiteDatabase db(path);
    for (const std::string sql : {"", "   ", "-- only a comment", "/* and another */ "}) {
        EXPECT_EQ(MessageOf([&] { db.ExecSQL(sql); }), "Could not prepare SQL statement") << sql;
    }
    ExpectNoOpenStatement(db);
}

TEST_F(ConnectionTest, ExecSQLRunsOnlyTheFirstStatement) {
    TSQLiteDatabase db(path);
    db.ExecSQL("CREATE TABLE t (x INTEGER)");
    db.ExecSQL("INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)");
    TSQLiteTable rows = db.GetTable("SELECT x FROM t");
    ASSERT_EQ(rows.Count(), 1u);
    EXPECT_EQ(rows.FieldAsString(0), "1");
}

TEST_F(ConnectionTest, ExecSQLRefusesAQueryThatYieldsARow) {
    TSQLiteDatabase db(path);
    db.ExecSQL("CREATE TABLE t (x INTEGER)");
    EXPECT_NO_THROW(db.ExecSQL("SELECT x FROM t"));
    db.ExecSQL("INSERT INTO t VALUES (1)");
    EXPECT_EQ(MessageOf([&] { db.ExecSQL("SELECT x FROM t"); }), "Error executing SQL statement");
    ExpectNoOpenStatement(db);
}

TEST_F(ConnectionTest, FailuresCarryTheErrorReport) {
    TSQLiteDatabase db(path);
    const std::string misspelt = "SELEKT 1";
    EXPECT_EQ(
        MessageOf([&] { db.ExecSQL(misspelt); }),
        Report("Error executing SQL", 1, "SQL error or missing database", misspelt, "near \"SELEKT\": syntax error"));

    db.ExecSQL("CREATE TABLE t (id TEXT PRIMARY KEY)");
    db.ExecSQL("INSERT INTO t VALUES ('a')");
    const std::string duplicate = "INSERT INTO t VALUES ('a')";
    EXPECT_EQ(MessageOf([&] { db.ExecSQL(duplicate); }),
              Report("Error executing SQL statement", 19, "Abort due to contraint violation", duplicate,
                     "UNIQUE constraint failed: t.id"));

    const std::string overflow = "SELECT abs(-9223372036854775807 - 1)";
    EXPECT_EQ(MessageOf([&] { db.GetTable(overflow); }),
              Report("Could not retrieve data", 1, "SQL error or missing database", overflow, "integer overflow"));
    ExpectNoOpenStatement(db);
    EXPECT_EQ(db.GetTable("SELECT count(*) FROM t").FieldAsString(0), "1") << "the connection stays usable";
}

} // namespace
