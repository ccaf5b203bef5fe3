// A reading needs the reader's Bookmark and content tables, and refuses a file without them in one message, whether
// the name is missing or taken by something else: a view in a table's place may be a query that never ends.
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

namespace {

const std::string kEndless = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n)";

class ReaderTablesTest : public ReaderFolderTest {
protected:
    ReaderTablesTest() { fixture::AddWinterVoyage(reader, "/mnt/onboard/A Winter Voyage.epub"); }

    // The table's rows under another name, and in its place a view that repeats them without end.
    void ReplaceByEndlessView(const std::string& table) {
        reader.Exec("ALTER TABLE " + table + " RENAME TO rows_of_" + table + "; CREATE VIEW " + table + " AS " +
                    kEndless + " SELECT rows_of_" + table + ".* FROM n, rows_of_" + table);
        reader.Close();
    }
    std::string LoadError() {
        const LoadOutcome outcome = library.LoadDatabase(reader.Path(), progress);
        EXPECT_EQ(outcome.kind, LoadOutcome::Kind::Failed);
        return outcome.error;
    }
};

std::string Refusal(const std::string& table) {
    return "The file is not a reader database: it lacks the reader's Bookmark and content tables.\rno such table: " +
           table;
}

TEST_F(ReaderTablesTest, AViewNamedContentIsRefusedAsAMissingTableIs) {
    ReplaceByEndlessView("content");
    EXPECT_EQ(LoadError(), Refusal("content"));
}

TEST_F(ReaderTablesTest, AViewNamedBookmarkIsRefusedAsAMissingTableIs) {
    ReplaceByEndlessView("Bookmark");
    EXPECT_EQ(LoadError(), Refusal("Bookmark"));
}

TEST_F(ReaderTablesTest, AMissingTableIsRefusedInTheSameWords) {
    reader.Exec("DROP TABLE content");
    reader.Close();
    EXPECT_EQ(LoadError(), Refusal("content"));
}

} // namespace
