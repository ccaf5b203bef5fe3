// Reading rows one at a time gives what the whole result table gives, with the same failures.
#include "TSQLiteCursor.h"
#include "Messages.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

using fixture::MessageOf;

class TSQLiteCursorTest : public ::testing::Test {
protected:
    TempFolder folder;
    TSQLiteDatabase db{(folder / "cursor.sqlite").string()};
};

TEST_F(TSQLiteCursorTest, ReadsEveryCellAsTheTableDoes) {
    db.ExecSQL("CREATE TABLE t (i INTEGER, r REAL, s TEXT, b BLOB, n, x integer)");
    db.ExecSQL("INSERT INTO t VALUES (1, 2.5, 'caf\xC3\xA9', x'610062', NULL, '7'), (NULL, NULL, NULL, NULL, 'later', "
               "NULL), (-3, 1e20, CAST(x'610062' AS TEXT), x'', 4, 'eight')");
    const std::string sql = "SELECT i, r, s, b, n, x, i * 2 AS e FROM t";
    TSQLiteTable table = db.GetTable(sql);
    TSQLiteCursor cursor(db, sql);
    std::uint32_t rows = 0;
    for (; cursor.Step(); ++rows, table.Next()) {
        // Earlier columns' texts stay valid while later ones are read.
        std::vector<std::string_view> texts;
        for (std::uint32_t c = 0; c < 7; ++c)
            texts.push_back(cursor.FieldAsText(c));
        for (std::uint32_t c = 0; c < 7; ++c)
            EXPECT_EQ(texts[c], table.FieldAsString(c)) << "row " << rows << ", column " << c;
    }
    EXPECT_EQ(rows, 3u);
    EXPECT_EQ(cursor.FieldIndex("S"), 2);
    EXPECT_EQ(MessageOf([&] { cursor.FieldAsText(0); }), "Table is at End of File");
}

TEST_F(TSQLiteCursorTest, FailsWithTheTablesMessages) {
    TSQLiteCursor empty(db, "SELECT 1 WHERE 0");
    EXPECT_FALSE(empty.Step());
    EXPECT_EQ(MessageOf([&] { empty.FieldIndex("x"); }), "Field x Not found. Empty dataset");
    const std::string overflow = "SELECT abs(-9223372036854775807 - 1)";
    TSQLiteCursor failing(db, overflow);
    EXPECT_EQ(MessageOf([&] { failing.Step(); }),
              "Could not retrieve data.\rError [1]: SQL error or missing database.\r\"" + overflow +
                  "\": integer overflow");
    TSQLiteCursor one(db, "SELECT 1 AS a");
    ASSERT_TRUE(one.Step());
    EXPECT_EQ(MessageOf([&] { one.FieldAsText(1); }), "Column index 1 is out of range: the table has 1 columns");
}

} // namespace
