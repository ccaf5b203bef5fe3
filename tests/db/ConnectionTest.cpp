// Opening files, running statements and the error reports, on real database files.
#include "InterruptScope.h"
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
#include <latch>
#include <thread>
#include <utility>

namespace {

std::string Report(const std::string& message, int code, const std::string& codeText, const std::string& sql,
                   const std::string& libraryText) {
    return message + ".\rError [" + std::to_string(code) + "]: " + codeText + ".\r\"" + sql + "\": " + libraryText;
}

using fixture::MessageOf;

// The result codes the raised exception carries, primary and extended; {-1, -1} when nothing was raised.
template <class Action> std::pair<int, int> CodesOf(Action&& action) {
    try {
        action();
    } catch (const ESQLiteException& e) {
        return {e.Code(), e.ExtendedCode()};
    }
    return {-1, -1};
}

// No statement may outlive the operation that prepared it, whatever way it ended.
void ExpectNoOpenStatement(const TSQLiteDatabase& db) {
    EXPECT_EQ(sqlite3_next_stmt(db.Handle(), nullptr), nullptr);
}

class ConnectionTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = (folder / "KoboReader.sqlite").string();
};

TEST(SQLiteErrorMessageTest, CodesOutsideTheTableHaveTheirOwnTextsOrAreUnknown) {
    // The codes inside the table show in the reports below.
    EXPECT_EQ(SQLiteErrorMessage(0), "Successful result");
    EXPECT_EQ(SQLiteErrorMessage(100), "sqlite3_step() has another row ready");
    EXPECT_EQ(SQLiteErrorMessage(101), "sqlite3_step() has finished executing");
    for (const int code : {27, 99, 102, -1, 266})
        EXPECT_EQ(SQLiteErrorMessage(code), "Unknown SQLite Error Code \"" + std::to_string(code) + "\"");
}

TEST_F(ConnectionTest, PathInMissingFolderCannotBeOpened) {
    const std::string missing = (folder / "no such folder" / "KoboReader.sqlite").string();
    EXPECT_EQ(MessageOf([&] { TSQLiteDatabase db(missing); }),
              "Failed to open database \"" + missing + "\" : unable to open database file");
    EXPECT_EQ(CodesOf([&] { TSQLiteDatabase db(missing); }), std::pair(SQLITE_CANTOPEN, SQLITE_CANTOPEN));
    EXPECT_FALSE(std::filesystem::exists(folder / "no such folder"));
}

TEST_F(ConnectionTest, FilesThatHoldNoReadableDatabaseFailAtTheFirstQuery) {
    const std::string sql = "SELECT BookmarkID, Text FROM Bookmark";
    std::ofstream(path) << "These are my notes, not a database.\nThey go on for a while.\n" << std::string(600, 'x');
    {
        TSQLiteDatabase db(path);
        EXPECT_EQ(MessageOf([&] { db.GetTable(sql); }),
                  Report("Error executing SQL", 26, "File opened that is not a database file", sql,
                         "file is not a database"));
        EXPECT_EQ(CodesOf([&] { db.GetTable(sql); }), std::pair(SQLITE_NOTADB, SQLITE_NOTADB));
        ExpectNoOpenStatement(db);
    }

    std::filesystem::resize_file(path, 0);
    {
        TSQLiteDatabase db(path);
        EXPECT_EQ(MessageOf([&] { db.GetTable(sql); }),
                  Report("Error executing SQL", 1, "SQL error or missing database", sql, "no such table: Bookmark"));
    }
    EXPECT_EQ(std::filesystem::file_size(path), 0u) << "a failed read must not write to the file";
    std::filesystem::remove(path);

    // Truncated: 400 bookmarks of 300 letters each, cut in half.
    fixture::ReaderDatabase(path).Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) INSERT INTO Bookmark "
        "(BookmarkID, VolumeID, ContentID, StartContainerPath, StartContainerChildIndex, StartOffset, EndContainerPath,"
        " EndContainerChildIndex, EndOffset, Text) SELECT i, 'v' || i % 7, 'part', '', 1, 0, '', 1, 0, "
        "printf('%.300c', char(97 + i % 26)) FROM n");
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    TSQLiteDatabase db(path);
    EXPECT_EQ(MessageOf([&] { db.GetTable(sql); }),
              Report("Error executing SQL", 11, "The database disk image is malformed", sql,
                     "database disk image is malformed"));
    try {
        db.GetTable(sql);
    } catch (const ESQLiteException& damage) {
        EXPECT_TRUE(damage.IsCorrupt());
        EXPECT_FALSE(damage.IsNotADatabase());
        EXPECT_EQ(damage.ExtendedCode() & 0xFF, SQLITE_CORRUPT);
    }
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
    EXPECT_EQ(CodesOf([&] { warm.GetTable(sql); }).first, SQLITE_BUSY) << "what failed is told by its code";
    const std::string update = "UPDATE Bookmark SET Text = 'x'";
    EXPECT_EQ(MessageOf([&] { warm.ExecSQL(update); }),
              Report("Error executing SQL statement", 5, "The database file is locked", update, "database is locked"));
    ExpectNoOpenStatement(warm);

    reader.Exec("COMMIT");
    EXPECT_EQ(warm.GetTable(sql).Count(), 2u) << "the connection stays usable once the lock is gone";
}

TEST_F(ConnectionTest, ExecSQLRunsOneStatementAndFailuresCarryTheReport) {
    TSQLiteDatabase db(path);
    for (const std::string sql : {"", "   ", "-- only a comment", "/* and another */ "})
        EXPECT_EQ(MessageOf([&] { db.ExecSQL(sql); }), "Could not prepare SQL statement") << sql;

    db.ExecSQL("CREATE TABLE t (id TEXT PRIMARY KEY)");
    EXPECT_NO_THROW(db.ExecSQL("SELECT id FROM t")) << "a query without rows runs";
    db.ExecSQL("INSERT INTO t VALUES ('a'); INSERT INTO t VALUES ('b')");
    EXPECT_EQ(MessageOf([&] { db.ExecSQL("SELECT id FROM t"); }), "Error executing SQL statement");
    const std::string duplicate = "INSERT INTO t VALUES ('a')";
    EXPECT_EQ(MessageOf([&] { db.ExecSQL(duplicate); }),
              Report("Error executing SQL statement", 19, "Abort due to contraint violation", duplicate,
                     "UNIQUE constraint failed: t.id"));
    EXPECT_EQ(CodesOf([&] { db.ExecSQL(duplicate); }), std::pair(SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_PRIMARYKEY));
    const std::string overflow = "SELECT abs(-9223372036854775807 - 1)";
    EXPECT_EQ(MessageOf([&] { db.GetTable(overflow); }),
              Report("Could not retrieve data", 1, "SQL error or missing database", overflow, "integer overflow"));
    ExpectNoOpenStatement(db);
    EXPECT_EQ(db.GetTable("SELECT group_concat(id) FROM t").FieldAsString(0), "a")
        << "only the first statement ran, and the connection stays usable";
}

} // namespace

// A stop asked of a thread ends the statement it runs, begins no other statement or backup, and stops nothing of any
// other thread.
TEST_F(ConnectionTest, AStopEndsTheThreadsStatementsAndBackupsAlone) {
    const std::string count = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
                              "SELECT count(*) FROM n";
    TSQLiteDatabase source(path);
    // More pages than one run of a backup copies.
    source.ExecSQL("CREATE TABLE big (b BLOB)");
    source.ExecSQL("INSERT INTO big VALUES (zeroblob(6000000))");
    const std::string copy = (folder / "copy.sqlite").string();
    std::atomic<bool> stop = false;
    std::latch stopped(1), checked(1);
    std::pair<int, int> midway, next, backup;
    std::thread worker([&] {
        const InterruptScope scope(stop);
        TSQLiteDatabase db(path);
        // Asked for on the statement's 100th row.
        sqlite3_create_function(
            db.Handle(), "stop_now", 0, SQLITE_UTF8, &stop,
            [](sqlite3_context* context, int, sqlite3_value**) {
                static_cast<std::atomic<bool>*>(sqlite3_user_data(context))->store(true);
                sqlite3_result_int(context, 1);
            },
            nullptr, nullptr);
        midway = CodesOf([&] { db.GetTable(count + " WHERE i <> 100 OR stop_now()"); });
        next = CodesOf([&] { db.GetTable("SELECT 1"); });
        TSQLiteDatabase target(copy);
        backup = CodesOf([&] { source.BackupTo(target); });
        stopped.count_down();
        checked.wait();
    });
    stopped.wait();
    TSQLiteDatabase mine(path);
    EXPECT_EQ(mine.GetTable(count).FieldAsInteger(0), 200000) << "another thread's stop is none of this one's";
    checked.count_down();
    worker.join();
    EXPECT_EQ(midway, std::pair(SQLITE_INTERRUPT, SQLITE_INTERRUPT));
    EXPECT_EQ(next.first, SQLITE_INTERRUPT);
    EXPECT_EQ(backup.first, SQLITE_INTERRUPT);
    ExpectNoOpenStatement(source);

    // Without a stop, the copy goes on run after run to the whole.
    stop = false;
    const InterruptScope scope(stop);
    TSQLiteDatabase target(copy);
    source.BackupTo(target);
    EXPECT_EQ(target.GetTable("SELECT length(b) FROM big").FieldAsInteger(0), 6000000) << "no stop, a whole copy";
}
