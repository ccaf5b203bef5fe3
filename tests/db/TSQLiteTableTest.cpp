// Result tables: column types, cells, cursor and lookups, read from real files.
#include "TSQLiteTable.h"
#include "Messages.h"
#include "TSQLiteDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using fixture::MessageOf;

class TSQLiteTableTest : public ::testing::Test {
protected:
    TempFolder folder;
    TSQLiteDatabase db{(folder / "table.sqlite").string()};
};

TEST_F(TSQLiteTableTest, CursorStopsAtTheEndAndEmptyResultsHaveNoColumns) {
    TSQLiteTable t = db.GetTable("SELECT 0 UNION ALL SELECT 1 UNION ALL SELECT 2");
    ASSERT_EQ(t.Count(), 3u);
    EXPECT_TRUE(t.MoveTo(2));
    EXPECT_EQ(t.FieldAsInteger(0), 2);
    EXPECT_TRUE(t.Next()) << "stepping past the last row still answers true";
    EXPECT_TRUE(t.Eof());
    EXPECT_FALSE(t.Next());
    EXPECT_FALSE(t.MoveTo(3));
    EXPECT_TRUE(t.Eof()) << "a refused MoveTo leaves the cursor";
    EXPECT_EQ(MessageOf([&] { t.FieldAsString(0); }), "Table is at End of File");
    EXPECT_TRUE(t.MoveTo(0));
    EXPECT_EQ(t.FieldAsInteger(0), 0);

    db.ExecSQL("CREATE TABLE Bookmark (VolumeID TEXT, Text TEXT)");
    db.ExecSQL("INSERT INTO Bookmark VALUES ('v', 'old')");
    for (const std::string sql :
         {"SELECT VolumeID FROM Bookmark WHERE VolumeID = 'none'", "UPDATE Bookmark SET Text = 'new'"}) {
        TSQLiteTable empty = db.GetTable(sql);
        EXPECT_EQ(empty.Count(), 0u);
        EXPECT_TRUE(empty.Eof());
        EXPECT_FALSE(empty.MoveTo(0));
        EXPECT_EQ(MessageOf([&] { empty.FieldIndex("VolumeID"); }), "Field VolumeID Not found. Empty dataset");
        EXPECT_EQ(MessageOf([&] { empty.FieldAsString(0); }), "Table is at End of File");
    }
    EXPECT_EQ(db.GetTable("SELECT Text FROM Bookmark").FieldAsString(0), "new") << "the UPDATE ran";
}

TEST_F(TSQLiteTableTest, DeclaredTypeDecidesTheColumnTypeAndEmptyCellsReadAsNothing) {
    // The library reports its standard type names (INTEGER, INT, REAL, TEXT, BLOB) in capitals however they were
    // written, so letter case shows with the other names: "boolean" and "double" in small letters are text.
    db.ExecSQL("CREATE TABLE t (a INTEGER, b BOOLEAN, c boolean, d INT, e REAL, f NUMERIC, g DOUBLE, h FLOAT, "
               "i TEXT, j DATETIME, k VARCHAR(20), l BOOL, m BLOB, n double, o integer)");
    db.ExecSQL("INSERT INTO t VALUES (42, 1, 7, 8, 2.5, 3, 0.25, -1.5, 'x', '2026-12-06', 'v', 1, x'00ff', 4.5, 9)");
    db.ExecSQL("INSERT INTO t (m) VALUES (x'')");
    TSQLiteTable t = db.GetTable("SELECT * FROM t");
    const std::vector<std::string> asStrings = {
        "42",  "1", "7", "8", "2.5", "3", "0.25", "-1.5", "x", "2026-12-06", "v", "1", std::string("\x00\xff", 2),
        "4.5", "9"};
    for (std::uint32_t c = 0; c < asStrings.size(); ++c)
        EXPECT_EQ(t.FieldAsString(c), asStrings[c]) << "column " << c;

    EXPECT_EQ(t.FieldAsInteger(t.FieldIndex("b")), 1);
    EXPECT_EQ(t.FieldAsDouble(t.FieldIndex("a")), 42.0);
    EXPECT_EQ(t.FieldAsInteger(t.FieldIndex("f")), 3) << "NUMERIC holds a double";
    EXPECT_EQ(t.FieldAsInteger(t.FieldIndex("o")), 9);
    for (const char* textColumn : {"c", "d", "i", "j", "k", "l", "m", "n"}) {
        EXPECT_EQ(MessageOf([&] { t.FieldAsInteger(t.FieldIndex(textColumn)); }), "Not an integer or numeric field")
            << textColumn;
        EXPECT_EQ(MessageOf([&] { t.FieldAsDouble(t.FieldIndex(textColumn)); }), "Not an integer or numeric field");
    }
    EXPECT_EQ(MessageOf([&] { t.FieldAsBlob(t.FieldIndex("a")); }), "Not a Blob field");
    EXPECT_EQ(MessageOf([&] { t.FieldAsBlobText(t.FieldIndex("i")); }), "Not a Blob field");

    // The second row: NULL everywhere but a zero-length blob, which is an empty cell too.
    t.Next();
    for (std::uint32_t c = 0; c < asStrings.size(); ++c) {
        EXPECT_EQ(t.FieldAsString(c), "") << "column " << c;
        EXPECT_EQ(t.FieldAsInteger(c), 0) << "an empty cell answers 0 whatever the column type";
        EXPECT_EQ(t.FieldAsDouble(c), 0.0);
        EXPECT_EQ(t.FieldAsBlob(c), nullptr);
    }
}

TEST_F(TSQLiteTableTest, LaterRowsAreReadInTheFirstRowsType) {
    db.ExecSQL("CREATE TABLE t (n INTEGER, v)");
    db.ExecSQL("INSERT INTO t VALUES (1, NULL), (2, 10), (3, 'abc'), (4, '12abc'), (5, 2.9), (6, 'text')");
    // v has no declared type through the expression, so its first value (an integer) fixes the column type.
    TSQLiteTable t = db.GetTable("SELECT v + 0 * 0 AS e FROM t WHERE n > 1 ORDER BY n");
    const std::vector<std::string> expression = {"10", "0", "12", "2", "0"};
    for (std::uint32_t r = 0; r < t.Count(); ++r, t.Next())
        EXPECT_EQ(t.FieldAsString(0), expression[r]) << "row " << r;

    // A column declared without a type name has no declared type either.
    TSQLiteTable plain = db.GetTable("SELECT v FROM t WHERE n > 1 ORDER BY n");
    plain.MoveTo(1);
    EXPECT_EQ(plain.FieldAsString(0), "0");

    // A first NULL types the column as null: its later values read as texts, and not as numbers.
    TSQLiteTable nullTyped = db.GetTable("SELECT coalesce(v, NULL) FROM t ORDER BY n");
    EXPECT_EQ(nullTyped.FieldAsString(0), "");
    nullTyped.Next();
    EXPECT_EQ(nullTyped.FieldAsString(0), "10");
    EXPECT_EQ(MessageOf([&] { nullTyped.FieldAsInteger(0); }), "Not an integer or numeric field");
    nullTyped.Next();
    EXPECT_EQ(nullTyped.FieldAsString(0), "abc");
}

TEST_F(TSQLiteTableTest, TextIsCutAtAZeroByteAndBlobsKeepEveryByte) {
    TSQLiteTable t = db.GetTable("SELECT CAST(x'61620063' AS TEXT) AS s, x'6100620063' AS b");
    EXPECT_EQ(t.FieldAsString(0), "ab");
    EXPECT_EQ(t.FieldAsString(1), std::string("a\0b\0c", 5));
    TMemoryStream* stream = t.FieldAsBlob(1);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Size(), 5);
    EXPECT_EQ(stream->Position(), 5);
}

TEST_F(TSQLiteTableTest, FieldIndexIgnoresCaseAndTheFirstOfTwoNamesWins) {
    TSQLiteTable t = db.GetTable("SELECT 'first' AS VolumeID, 'second' AS volumeid, 'x' AS Other");
    EXPECT_EQ(t.FieldIndex("VOLUMEID"), 0);
    EXPECT_EQ(t.FieldIndex("other"), 2);
    EXPECT_EQ(MessageOf([&] { t.FieldIndex("Nope"); }), "Field not found in dataset: Nope");
    EXPECT_EQ(MessageOf([&] { t.FieldAsString(3); }), "Column index 3 is out of range: the table has 3 columns");
}

TEST_F(TSQLiteTableTest, NumericValuesTruncateTowardZeroAndSaturate) {
    TSQLiteTable t = db.GetTable("SELECT CAST(v AS REAL) AS v FROM (SELECT -2.7 AS v UNION ALL SELECT 2.7 UNION ALL "
                                 "SELECT 1e300 UNION ALL SELECT -1e300 UNION ALL SELECT 9.3e18)");
    const std::int64_t max = std::numeric_limits<std::int64_t>::max(), min = std::numeric_limits<std::int64_t>::min();
    const std::vector<std::int64_t> expected = {-2, 2, max, min, max};
    for (std::uint32_t r = 0; r < expected.size(); ++r, t.Next())
        EXPECT_EQ(t.FieldAsInteger(0), expected[r]) << "row " << r;
}

TEST_F(TSQLiteTableTest, TableOutlivesItsConnection) {
    std::optional<TSQLiteTable> kept;
    {
        TSQLiteDatabase shortLived((folder / "short-lived.sqlite").string());
        kept.emplace(shortLived.GetTable("SELECT 'still here'"));
    }
    EXPECT_EQ(kept->FieldAsString(0), "still here");
}

} // namespace
