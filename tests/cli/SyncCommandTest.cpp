// marvik-cli sync on a real reader-shaped database: a notes folder kept up to date, run after run.
#include "FileContents.h"
#include "SyncedNotesTest.h"

#include <fstream>

namespace {

namespace fs = std::filesystem;

using SyncCommandTest = SyncedNotesTest;

TEST_F(SyncCommandTest, NotesFollowTheReaderAndKeepWhatTheUserWrote) {
    const ChildResult missing = Sync();
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "The notes folder \"notes\" does not exist: choose another, or make it first.\n");
    EXPECT_FALSE(fs::exists(m_notes));

    fs::create_directory(m_notes);
    const ChildResult first = Sync();
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, "notes/untitled.epub.md\nnotes/A Store Book - Bo Lind.md\nnotes/Notes_ _On_ Things - Ann "
                         "Writer.md\n");
    EXPECT_EQ(first.err,
              "marvik-cli: 3 notes: 7 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited them\n");
    std::string note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("\nmarvik-volume-id: \"" + fixture::records::kRich + "\"\n"), std::string::npos) << note;
    EXPECT_EQ(note.find("Deleted."), std::string::npos) << "deleted before it was ever synced";

    // The user writes below the highlights and inside one; the reader gains a highlight between r1 and r2, changes
    // r2's note and r3's text, deletes r1; the store book's note, read-only now, would change too.
    note += "My thoughts.\n";
    note.replace(note.find("> \xD9\x85"), 2, "> My reading: ");
    std::ofstream(m_rich, std::ios::binary) << note;
    fs::permissions(m_store, fs::perms::owner_read);
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.AddBookmark(RichHighlight("r7", "span#kobo.3.1", "In between."));
        reader.Exec("UPDATE Bookmark SET Annotation = 'Why not?' WHERE BookmarkID = 'r2'");
        reader.Exec("UPDATE Bookmark SET Text = Text || '!' WHERE BookmarkID = 'r3'");
        reader.Exec("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r1'");
        reader.Exec("UPDATE Bookmark SET Annotation = 'Mine.' WHERE BookmarkID = 's1'");
    }
    const std::string readOnly = "marvik-cli: 5a0f2c7e-3b8d-4e1a-9c6f-8d2e4b7a1f03: The note \"notes/A Store Book - "
                                 "Bo Lind.md\" is read-only: it is left as it is.\n";

    const ChildResult dry = Sync({"--dry-run", "--diff"});
    EXPECT_EQ(dry.exitStatus, 1);
    EXPECT_TRUE(dry.out.starts_with("notes/Notes_ _On_ Things - Ann Writer.md: 1 added, 1 updated, 1 marked "
                                    "deleted, 1 kept as you edited it\n"
                                    "--- a/Notes_ _On_ Things - Ann Writer.md\n"
                                    "+++ b/Notes_ _On_ Things - Ann Writer.md\n"))
        << dry.out;
    EXPECT_NE(dry.out.find("\n+<!-- marvik-highlight r7 "), std::string::npos) << dry.out;
    EXPECT_EQ(dry.err, readOnly +
                           "marvik-cli: nothing written (dry run): 2 notes: 1 highlight added, 1 updated, 1 marked "
                           "deleted, 1 kept as you edited them, 1 failed\n");
    EXPECT_EQ(fixture::FileBytes(m_rich), note);

    const ChildResult second = Sync();
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_EQ(second.out, "notes/Notes_ _On_ Things - Ann Writer.md\n");
    EXPECT_EQ(second.err,
              readOnly +
                  "marvik-cli: notes/Notes_ _On_ Things - Ann Writer.md: 1 added, 1 updated, 1 marked "
                  "deleted, 1 kept as you edited it\n"
                  "marvik-cli: 2 notes: 1 highlight added, 1 updated, 1 marked deleted, 1 kept as you edited them, "
                  "1 failed\n");
    const std::string synced = fixture::FileBytes(m_rich);
    EXPECT_TRUE(synced.ends_with("<!-- /marvik-highlight r5 -->\nMy thoughts.\n")) << synced;
    EXPECT_NE(synced.find("> My reading: \xD9\x85"), std::string::npos) << synced;
    const std::size_t r1 = synced.find("<!-- /marvik-highlight r1 -->"), r7 = synced.find("In between."),
                      r2 = synced.find("<!-- marvik-highlight r2 ");
    EXPECT_TRUE(r1 < r7 && r7 < r2) << synced;
    EXPECT_NE(synced.find("**Note:** Why not?"), std::string::npos) << synced;
    const std::size_t marker = synced.find("<!-- marvik-highlight r1 ");
    EXPECT_TRUE(synced.substr(marker, synced.find('\n', marker) - marker).ends_with(" deleted -->")) << synced;

    // Nothing new: no note is written again.
    fs::permissions(m_store, fs::perms::owner_read | fs::perms::owner_write);
    const auto past = fs::last_write_time(m_rich) - std::chrono::hours(1);
    fs::last_write_time(m_rich, past);
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.Exec("UPDATE Bookmark SET Annotation = NULL WHERE BookmarkID = 's1'");
    }
    const ChildResult again = Sync();
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(fs::last_write_time(m_rich), past);
}

} // namespace
