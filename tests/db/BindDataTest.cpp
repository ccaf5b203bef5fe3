// Every kind of positional value, bound through real statements.
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

namespace {

class BindDataTest : public ::testing::Test {
protected:
    // How SQLite sees the value bound to the one parameter: its type and its quoted form.
    std::string Bound(const BindValue& value) {
        return db.GetTable("SELECT typeof(?1) || ':' || quote(?1)", {value}).FieldAsString(0);
    }

    std::string MessageOf(const std::string& sql, const BindValues& values) {
        try {
            db.ExecSQL(sql, values);
        } catch (const ESQLiteException& e) {
            EXPECT_EQ(sqlite3_next_stmt(db.Handle(), nullptr), nullptr) << "the statement must be finalized";
            return e.what();
        }
        return "(nothing raised)";
    }

    TempFolder folder;
    TSQLiteDatabase db{(folder / "bind.sqlite").string()};
};

TEST_F(BindDataTest, ScalarsTextsAndNullsBindAsTheirKinds) {
    EXPECT_EQ(Bound(std::int32_t{-7}), "integer:-7");
    EXPECT_EQ(Bound(true), "integer:1");
    EXPECT_EQ(Bound(std::int64_t{9'000'000'000}), "integer:9000000000");
    EXPECT_EQ(Bound(static_cast<long double>(2.5)), "real:2.5");
    EXPECT_EQ(Bound(std::string("caf\xC3\xA9")), "text:'caf\xC3\xA9'");
    EXPECT_EQ(Bound(std::string()), "text:''") << "an empty string is text, not NULL";
    EXPECT_EQ(Bound(std::string("a\0b", 3)), "text:'a'") << "the exact byte count is bound";
    EXPECT_EQ(Bound(ShortString(std::string(300, 'x'))), "text:'" + std::string(255, 'x') + "'");
    EXPECT_EQ(Bound('Q'), "text:'Q'");
    EXPECT_EQ(Bound("zero-terminated"), "text:'zero-terminated'");
    EXPECT_EQ(Bound(std::u16string(u"\u00e9t\u00e9 \U0001F600")), "text:'\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80'");
    EXPECT_EQ(Bound(std::u16string(u"a") + char16_t(0xD800) + u"b"), "text:'a\uFFFDb'") << "a lone surrogate";
    EXPECT_EQ(Bound(char16_t(0x044F)), "text:'\xD1\x8F'");
    EXPECT_EQ(Bound(u"wide"), "text:'wide'");
    EXPECT_EQ(Bound(nullptr), "null:NULL");
    EXPECT_EQ(Bound(static_cast<const void*>(nullptr)), "null:NULL");
}

TEST_F(BindDataTest, UnhandledValuesAreRefusedBeforeTheStatementRuns) {
    db.ExecSQL("CREATE TABLE t (a, b)");
    const std::string insert = "INSERT INTO t VALUES (?, ?)";
    int something = 0;
    TObject notAStream;
    EXPECT_EQ(MessageOf(insert, {std::int32_t{1}, static_cast<const void*>(&something)}), "Unhandled pointer (<> nil)");
    EXPECT_EQ(MessageOf(insert, {std::int32_t{1}, &notAStream}), "Unhandled object-type in binding");
    EXPECT_EQ(MessageOf(insert, {std::int32_t{1}, UnhandledValue{}}), "Unhandled binding");
    db.ExecSQL(insert, {std::int32_t{1}, std::string("two")});
    EXPECT_EQ(db.GetTable("SELECT group_concat(b) FROM t").FieldAsString(0), "two") << "only the last insert ran";
}

TEST_F(BindDataTest, MemoryStreamBindsFromItsPositionAndOtherStreamsWhole) {
    TMemoryStream memory;
    memory.Append("ABCDEF", 6);
    memory.SetPosition(2);
    EXPECT_EQ(Bound(&memory), "blob:X'43444546'");
    EXPECT_EQ(memory.Position(), 2) << "an in-memory stream is bound in place";
    memory.SetPosition(6);
    EXPECT_EQ(Bound(&memory), "blob:X''");

    const auto file = folder / "bytes.bin";
    std::ofstream(file, std::ios::binary) << std::string("\x01\x00\x02", 3);
    TFileStream stream(file);
    stream.SetPosition(2);
    EXPECT_EQ(Bound(&stream), "blob:X'010002'");
    EXPECT_EQ(stream.Position(), 3) << "the whole stream is read and the position left at its end";

    std::filesystem::resize_file(file, 0);
    TFileStream emptyStream(file);
    EXPECT_EQ(Bound(&emptyStream), "blob:X''");
}

TEST_F(BindDataTest, SurplusValueFailsWithItsKindsMessageAndRangeReport) {
    TMemoryStream memory;
    memory.Append("x", 1);
    const auto file = folder / "one.bin";
    std::ofstream(file) << "y";
    TFileStream stream(file);
    // Every kind of text shares one binding, and so one message.
    const std::vector<std::pair<BindValue, std::string>> cases = {
        {std::int32_t{1}, "integer"}, {true, "boolean"}, {std::int64_t{1}, "int64"}, {1.0L, "extended"},
        {std::string("t"), "text"},   {nullptr, "null"}, {&memory, "BLOB"},          {&stream, "BLOB"},
    };
    for (const auto& [surplus, kind] : cases)
        EXPECT_EQ(MessageOf("SELECT ?", {std::int32_t{1}, surplus}),
                  "Could not bind " + kind +
                      ".\rError [25]: 2nd parameter to sqlite3_bind out of range.\r\"BindData\": column index out of "
                      "range")
            << kind;
}

} // namespace
