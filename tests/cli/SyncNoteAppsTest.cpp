// marvik-cli sync into notes as note apps keep them: what the user changed in a note, or an app saved again, stays.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

class SyncNoteAppsTest : public ::testing::Test {
protected:
    SyncNoteAppsTest() {
        fixture::ReaderDatabase reader(m_database);
        fixture::AddWholeRecordLibrary(reader);
        fs::create_directory(m_notes);
    }

    ChildResult Sync(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), {"sync", "--db", m_database.string(), "--to", "notes"});
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    void Reader(const std::string& sql) {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.Exec(sql);
    }

    static void Replace(std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from << " in\n" << text;
        text.replace(at, from.size(), to);
    }

    TempFolder m_work;
    fs::path m_database = m_work / "reader.sqlite";
    fs::path m_notes = m_work / "notes";
    fs::path m_rich = m_notes / "Notes_ _On_ Things - Ann Writer.md";
};

TEST_F(SyncNoteAppsTest, FrontMatterValuesTheUserChangedStayAndTheSameValuesSavedAgainAreNoEdit) {
    Reader("UPDATE content SET ReadStatus = 1 WHERE ContentID = '" + fixture::records::kRich + "'");
    ASSERT_EQ(Sync({"--template", "obsidian"}).exitStatus, 0);
    std::string note = fixture::FileBytes(m_rich);
    Replace(note, "status: \"reading\"\n", "status: \"abandoned\"  # gave up\n");
    Replace(note, "title: \"Notes: \\\"On\\\" Things\"\n", "title: \"Notes: \\\"On\\\" Things, annotated\"\n");
    std::ofstream(m_rich, std::ios::binary) << note;

    // Nothing new on the reader: the user's values are kept and told, the note is not written.
    const ChildResult kept = Sync({"--template", "obsidian"});
    EXPECT_EQ(kept.exitStatus, 0) << kept.err;
    EXPECT_EQ(kept.out, "");
    EXPECT_EQ(kept.err, "marvik-cli: notes/Notes_ _On_ Things - Ann Writer.md: 2 kept as you edited them\n"
                        "marvik-cli: 3 notes: 0 added, 0 updated, 0 marked deleted, 2 kept as you edited them\n");
    EXPECT_EQ(fixture::FileBytes(m_rich), note);

    // The reader moves on: what the program still owns follows it, the user's lines stay byte for byte.
    Reader("UPDATE content SET ___PercentRead = 77 WHERE ContentID = '" + fixture::records::kRich + "'");
    ASSERT_EQ(Sync({"--template", "obsidian"}).exitStatus, 0);
    std::string synced = fixture::FileBytes(m_rich);
    EXPECT_NE(synced.find("\nprogress: 77\n"), std::string::npos) << synced;
    EXPECT_NE(synced.find("\nstatus: \"abandoned\"  # gave up\n"), std::string::npos) << synced;
    EXPECT_NE(synced.find("\ntitle: \"Notes: \\\"On\\\" Things, annotated\"\n"), std::string::npos) << synced;

    // A properties editor saves the same values again: quotes dropped, keys in another order. No edit, no rewrite.
    const std::size_t end = synced.find("\n---\n", 4) + 1;
    std::vector<std::string> lines;
    for (std::size_t at = 4; at < end;) {
        const std::size_t next = synced.find('\n', at) + 1;
        std::string line = synced.substr(at, next - at);
        if (line.starts_with("author: \"") || line.starts_with("exported: \""))
            line.erase(std::remove(line.begin(), line.end(), '"'), line.end());
        lines.push_back(line);
        at = next;
    }
    std::reverse(lines.begin(), lines.end());
    std::string resaved = "---\n";
    for (const std::string& line : lines)
        resaved += line;
    resaved += synced.substr(end);
    std::ofstream(m_rich, std::ios::binary) << resaved;
    const ChildResult again = Sync({"--template", "obsidian"});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(fixture::FileBytes(m_rich), resaved);
}

TEST_F(SyncNoteAppsTest, TheObsidianCountsAreOfWhatTheNoteShowsAsLive) {
    // r6 was deleted on the reader before the first sync: the note never shows it.
    ASSERT_EQ(Sync({"--template", "obsidian"}).exitStatus, 0);
    std::string note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("\nhighlights: 3\nnotes: 2\n"), std::string::npos) << note;

    Reader("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r1'");
    ASSERT_EQ(Sync({"--template", "obsidian"}).exitStatus, 0);
    note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("\nhighlights: 2\nnotes: 1\n"), std::string::npos) << note;

    // Every highlight of the book deleted: the reader lists the book no more, its note still follows it.
    Reader("UPDATE Bookmark SET Hidden = 'true' WHERE VolumeID = '" + fixture::records::kRich + "'");
    const ChildResult none = Sync({"--template", "obsidian"});
    EXPECT_EQ(none.exitStatus, 0) << none.err;
    EXPECT_EQ(none.err, "marvik-cli: 3 notes: 0 added, 0 updated, 4 marked deleted, 0 kept as you edited them\n");
    note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("\nhighlights: 0\nnotes: 0\n"), std::string::npos) << note;
}

TEST_F(SyncNoteAppsTest, ANoteTooLargeToMergeIsAnErrorOfItsBookAndLinksPassedOverAreNamed) {
    ASSERT_EQ(Sync().exitStatus, 0);
    {
        std::ofstream grown(m_rich, std::ios::binary | std::ios::app);
        const std::string line(1023, 'x');
        for (int i = 0; i < 65 * 1024; ++i)
            grown << line << '\n';
    }
    fs::create_directory(m_work / "elsewhere");
    std::ofstream(m_work / "elsewhere/Linked.md") << "---\nmarvik-volume-id: \"file:///mnt/onboard/Tides.epub\"\n---\n";
    fs::create_directory_symlink(m_work / "elsewhere", m_notes / "linked folder");
    fs::create_symlink(m_work / "elsewhere/Linked.md", m_notes / "Linked.md");

    const ChildResult sync = Sync();
    EXPECT_EQ(sync.exitStatus, 1);
    EXPECT_EQ(sync.out, "");
    EXPECT_EQ(sync.err, "marvik-cli: The linked folder \"notes/linked folder\" is passed over: a sync follows no "
                        "links.\n"
                        "marvik-cli: The linked note \"notes/Linked.md\" is passed over: a sync follows no links.\n"
                        "marvik-cli: " +
                            fixture::records::kRich +
                            ": The note \"notes/Notes_ _On_ Things - Ann Writer.md\" is larger than 64 MiB, too "
                            "large to merge: it is left as it is.\n"
                            "marvik-cli: 2 notes: 0 added, 0 updated, 0 marked deleted, 0 kept as you edited them\n");
    EXPECT_FALSE(fs::exists(m_notes / "Notes_ _On_ Things - Ann Writer_0000.md"));
}

TEST_F(SyncNoteAppsTest, EachChapterHasOneHeadingInItsPlace) {
    const auto count = [](const std::string& text, const std::string& what) {
        std::size_t found = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++found;
        return found;
    };
    // The chapter's first highlight was deleted before the note was ever written.
    Reader("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r1'");
    ASSERT_EQ(Sync().exitStatus, 0);
    std::string note = fixture::FileBytes(m_rich);
    EXPECT_EQ(count(note, "\n## One\n"), 1u) << note;
    EXPECT_LT(note.find("\n## One\n"), note.find("marvik-highlight r2 ")) << note;

    // The user writes in the chapter's first block; a highlight earlier in the chapter arrives; the first of the
    // next chapter is deleted.
    Replace(note, "\n^r2\n", "\n^r2\n\nMine.\n");
    std::ofstream(m_rich, std::ios::binary) << note;
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.AddBookmark({.bookmarkId = "r0",
                            .volumeId = fixture::records::kRich,
                            .contentId = fixture::records::kRich + "!!ch1.xhtml",
                            .startContainerPath = "span#kobo.1.1",
                            .text = "Earliest."});
        reader.Exec("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r4'");
    }
    ASSERT_EQ(Sync().exitStatus, 0);
    note = fixture::FileBytes(m_rich);
    EXPECT_EQ(count(note, "\n## One\n"), 1u) << note;
    EXPECT_LT(note.find("\n## One\n"), note.find("Earliest.")) << note;
    EXPECT_LT(note.find("Earliest."), note.find("Mine.")) << note;
    EXPECT_EQ(count(note, "\n## Two\n"), 1u) << note;
    EXPECT_LT(note.find("\n## Two\n"), note.find("**Deleted on the reader:**")) << note;
}

} // namespace
