// Repair statements for bookmarks whose ContentID carries a "#" fragment.
#include "ContentIdRepair.h"
#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "TSQLiteDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class ContentIdRepairTest : public ::testing::Test {
protected:
    void AddMark(const std::string& id, const std::string& volume, const std::string& contentId,
                 const std::string& path = "span#kobo.1.1") {
        reader.AddBookmark(
            {.bookmarkId = id, .volumeId = volume, .contentId = contentId, .startContainerPath = path, .text = id});
    }
    Lines Repair(const std::string& volume) {
        reader.Close();
        return RepairContentIds(reader.Path(), volume, progress);
    }

    TempFolder folder;
    fixture::ReaderDatabase reader{folder / "KoboReader.sqlite"};
    fixture::RecordingProgress progress;
};

TEST_F(ContentIdRepairTest, CutsTheContentIdsOfKoboSpanBookmarksAtTheirFirstHash) {
    AddMark("1", "v.epub", "part.html#frag");
    AddMark("2", "v.epub", "other.html#x", "#point(/1/4)");
    AddMark("3", "v.epub", "plain.html");
    AddMark("4", "v.epub", "a.html#b#c", "/body/SPAN#KOBO.2.1");
    AddMark("5", "v.epub", "#lead");
    AddMark("6", "V.EPUB", "part.html#frag");
    AddMark("7", "v.epub", "part.html#frag", "span#kobo.3.3");
    EXPECT_EQ(Repair("v.epub"),
              (Lines{"UPDATE Bookmark SET ContentID=\"part.html\" WHERE ContentID=\"part.html#frag\";",
                     "UPDATE Bookmark SET ContentID=\"a.html\" WHERE ContentID=\"a.html#b#c\";",
                     "UPDATE Bookmark SET ContentID=\"\" WHERE ContentID=\"#lead\";",
                     "UPDATE Bookmark SET ContentID=\"part.html\" WHERE ContentID=\"part.html#frag\";"}));
    EXPECT_EQ(progress.events, (Lines{"status:repair ContentID", "reset", "reset", "status:"}));
    EXPECT_EQ(Repair("none.epub"), Lines{});
}

TEST_F(ContentIdRepairTest, StatementsChangeExactlyTheNamedIds) {
    // A quote inside an id must neither end the id nor start another statement; an id that names a column
    // ("Text", "rowid") must not be read as that column; a line break must not break the statement's line.
    const Lines ids = {"say \"hi\".html#x", "x\"; DROP TABLE content; --#1", "Text#3", "rowid#2", "100%_\t\n#5",
                       "\r\nit's\r\n#6"};
    for (std::size_t i = 0; i < ids.size(); ++i)
        AddMark("m" + std::to_string(i), "v.epub", ids[i]);
    const Lines statements = Repair("v.epub");
    ASSERT_EQ(statements.size(), ids.size());
    EXPECT_EQ(statements[0], "UPDATE Bookmark SET ContentID=\"say \"\"hi\"\".html\" WHERE ContentID=\"say "
                             "\"\"hi\"\".html#x\";");
    EXPECT_EQ(statements[2], "UPDATE Bookmark SET ContentID='Text' WHERE ContentID=\"Text#3\";");
    EXPECT_EQ(statements[5], "UPDATE Bookmark SET ContentID=char(13) || char(10) || 'it''s' || char(13) || char(10) "
                             "WHERE ContentID=char(13) || char(10) || 'it''s' || char(13) || char(10) || '#6';");
    for (const std::string& statement : statements)
        EXPECT_EQ(statement.find_first_of("\r\n"), std::string::npos) << statement;

    TSQLiteDatabase db(reader.Path().string());
    for (const std::string& statement : statements)
        db.ExecSQL(statement);
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(reader.QueryText("SELECT ContentID FROM Bookmark WHERE BookmarkID='m" + std::to_string(i) + "'"),
                  ids[i].substr(0, ids[i].find('#')));
    EXPECT_EQ(reader.QueryText("SELECT count(*) FROM content"), "0") << "the content table is still there";
}

TEST_F(ContentIdRepairTest, AMissingDatabaseIsNotCreated) {
    const std::filesystem::path gone = folder / "gone.sqlite";
    EXPECT_EQ(RepairContentIds(gone, "v.epub", progress), Lines{});
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_TRUE(progress.events.empty());
}

} // namespace
