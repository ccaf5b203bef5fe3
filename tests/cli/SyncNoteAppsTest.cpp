// marvik-cli sync into notes as note apps keep them: what the user changed in a note, or an app saved again, stays.
#include "FileContents.h"
#include "LogseqBlocks.h"
#include "SyncedNotesTest.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

class SyncNoteAppsTest : public SyncedNotesTest {
protected:
    SyncNoteAppsTest() { fs::create_directory(m_notes); }

    void Reader(const std::string& sql) {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.Exec(sql);
    }

    static void Replace(std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from << " in\n" << text;
        text.replace(at, from.size(), to);
    }
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
    EXPECT_EQ(kept.err,
              "marvik-cli: notes/Notes_ _On_ Things - Ann Writer.md: 2 kept as you edited them\n"
              "marvik-cli: 3 notes: 0 highlights added, 0 updated, 0 marked deleted, 2 kept as you edited them\n");
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
    EXPECT_EQ(none.err,
              "marvik-cli: 3 notes: 0 highlights added, 0 updated, 4 marked deleted, 0 kept as you edited them\n");
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
    EXPECT_EQ(sync.err,
              "marvik-cli: The linked folder \"notes/linked folder\" is passed over: a sync follows no "
              "links.\n"
              "marvik-cli: The linked note \"notes/Linked.md\" is passed over: a sync follows no links.\n"
              "marvik-cli: " +
                  fixture::records::kRich +
                  ": The note \"notes/Notes_ _On_ Things - Ann Writer.md\" is larger than 64 MiB, too "
                  "large to merge: it is left as it is.\n"
                  "marvik-cli: 2 notes: 0 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited them, 1 "
                  "failed\n");
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
        reader.AddBookmark(RichHighlight("r0", "span#kobo.1.1", "Earliest."));
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

// Each highlight's block of a Logseq page, as Logseq reads it, by its highlight-id; and how many blocks have that id.
std::map<std::string, std::pair<nlohmann::json, int>> HighlightBlocks(const nlohmann::json& blocks) {
    std::map<std::string, std::pair<nlohmann::json, int>> found;
    for (const nlohmann::json& block : blocks)
        if (block["properties"].contains("highlight-id")) {
            auto& [first, count] = found[block["properties"]["highlight-id"].get<std::string>()];
            if (count++ == 0)
                first = block;
        }
    return found;
}

TEST_F(SyncNoteAppsTest, ALogseqPageIsAnOutlineWhoseBlocksKeepTheirChildren) {
    ASSERT_EQ(Sync({"--template", "logseq"}).exitStatus, 0);
    std::string note = fixture::FileBytes(m_rich);
    const nlohmann::json first = LogseqBlocks(m_rich);
    ASSERT_TRUE(first.is_array()) << "mldoc could not be run: scripts/install-deps installs it";
    EXPECT_EQ(first[0]["properties"]["marvik-volume-id"], fixture::records::kRich);
    const auto highlights = HighlightBlocks(first);
    for (const std::string id : {"r1", "r2", "r3", "r4", "r5"}) {
        ASSERT_EQ(highlights.count(id), 1u) << id << "\n" << note;
        EXPECT_EQ(highlights.at(id).second, 1) << id;
        EXPECT_TRUE(highlights.at(id).first["properties"]["marvik-highlight"].get<std::string>().starts_with(id + " "));
    }
    // No line at the outline's top level but its blocks' bullets, after the page's properties.
    const std::string outline = note.substr(note.find("\n\n- ") + 2);
    for (std::size_t line = 0; line < outline.size(); line = outline.find('\n', line) + 1)
        EXPECT_TRUE(outline.compare(line, 2, "- ") == 0 || outline[line] == '\t' || outline[line] == ' ')
            << outline.substr(line, outline.find('\n', line) - line);

    // In Logseq the user deletes r2's block and writes a child block under r1. On the reader r3's text changes and
    // a highlight comes between r1 and r2.
    const std::size_t r2 = note.rfind("\t- ", note.find("highlight-id:: r2"));
    note.erase(r2, note.find("\t- ", r2 + 1) - r2);
    const std::size_t afterR1 = note.find("\t- ", note.find("highlight-id:: r1"));
    note.insert(afterR1, "\t\t- My thought on r1.\n");
    std::ofstream(m_rich, std::ios::binary) << note;
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.AddBookmark(RichHighlight("r7", "span#kobo.3.1", "In between."));
        reader.Exec("UPDATE Bookmark SET Text = 'Changed on the reader.' WHERE BookmarkID = 'r3'");
        reader.Exec("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r4'");
    }
    const ChildResult sync = Sync({"--template", "logseq"});
    EXPECT_EQ(sync.exitStatus, 0) << sync.err;
    EXPECT_EQ(sync.err,
              "marvik-cli: 3 notes: 1 highlight added, 1 updated, 1 marked deleted, 0 kept as you edited them\n");
    EXPECT_EQ(Sync({"--template", "logseq"}).out, "") << "a second sync with nothing new";
    const nlohmann::json second = LogseqBlocks(m_rich);
    const auto now = HighlightBlocks(second);
    for (const auto& [id, block] : now)
        EXPECT_EQ(block.second, 1) << id << "\n" << fixture::FileBytes(m_rich);
    EXPECT_NE(now.at("r3").first["body"].get<std::string>().find("Changed on the reader."), std::string::npos);
    std::vector<std::string> order;
    for (const nlohmann::json& block : second)
        order.push_back(block["properties"].contains("highlight-id")
                            ? block["properties"]["highlight-id"].get<std::string>()
                            : block["title"].get<std::string>());
    const auto at = [&order](const std::string& what) { return std::find(order.begin(), order.end(), what); };
    ASSERT_NE(at("My thought on r1."), order.end()) << fixture::FileBytes(m_rich);
    EXPECT_EQ(std::prev(at("My thought on r1.")), at("r1")) << fixture::FileBytes(m_rich);
    EXPECT_EQ(std::next(at("My thought on r1.")), at("r7")) << fixture::FileBytes(m_rich);
    EXPECT_EQ(std::next(at("r4")), at("deleted on the reader")) << fixture::FileBytes(m_rich);
}

TEST_F(SyncNoteAppsTest, LogseqReadsEachTextAsWritten) {
    const std::string text = "Footnote [1] costs $5.99/$6.99, {{embed}} ((ref)) #tag a#b [[page]] [x](y) a\\b *c* <b>";
    const std::string note = "Why $1? {{query}} ~~not~~ ==this== ^^that^^ `code`\n- not a block";
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        fixture::Bookmark added = RichHighlight("r7", "span#kobo.3.1", text);
        added.annotation = note;
        reader.AddBookmark(added);
        reader.Exec("UPDATE content SET Title = 'Notes \\#1 $2' WHERE ContentID = '" + fixture::records::kRich + "'");
    }
    ASSERT_EQ(Sync({"--template", "logseq"}).exitStatus, 0);
    const fs::path file = m_notes / "Notes _#1 $2 - Ann Writer.md";
    const nlohmann::json blocks = LogseqBlocks(file);
    ASSERT_TRUE(blocks.is_array()) << fixture::FileBytes(file);
    EXPECT_EQ(blocks[0]["properties"]["title"], "Notes \\#1 $2");
    const auto highlights = HighlightBlocks(blocks);
    ASSERT_EQ(highlights.count("r7"), 1u) << fixture::FileBytes(file);
    EXPECT_EQ(highlights.at("r7").first["body"], text + "\nNote: Why $1? {{query}} ~~not~~ ==this== ^^that^^ `code`\n"
                                                        "- not a block\n")
        << fixture::FileBytes(file);
}

TEST_F(SyncNoteAppsTest, ANoteKeepsItsTemplateSetUntilItIsRetemplated) {
    ASSERT_EQ(Sync({"--template", "obsidian"}).exitStatus, 0);
    std::string note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("\nmarvik-template: \"obsidian\"\n"), std::string::npos) << note;
    Replace(note, "**Note:** Why?", "**Note:** Why? Because.");
    std::ofstream(m_rich, std::ios::binary) << note;
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.AddBookmark(RichHighlight("r7", "span#kobo.3.1", "In between."));
    }
    // Without --template the note is synced with its own set.
    ASSERT_EQ(Sync().exitStatus, 0);
    note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("> [!quote]"), std::string::npos) << note;
    EXPECT_NE(note.find("> In between."), std::string::npos) << note;
    EXPECT_EQ(note.find("\n\n> In between."), std::string::npos) << "the markdown set's block\n" << note;

    // --retemplate renders the blocks the user left alone with the new set; the edited one stays as it is.
    const ChildResult retemplated = Sync({"--template", "markdown", "--retemplate"});
    EXPECT_EQ(retemplated.exitStatus, 0) << retemplated.err;
    note = fixture::FileBytes(m_rich);
    EXPECT_NE(note.find("\nmarvik-template: \"markdown\"\n"), std::string::npos) << note;
    EXPECT_EQ(note.find("> [!yellow]"), std::string::npos) << note;
    EXPECT_NE(note.find("> [!pink]"), std::string::npos) << note;
    EXPECT_NE(note.find("**Note:** Why? Because."), std::string::npos) << note;
}

TEST_F(SyncNoteAppsTest, ALogseqPageIsNotRetemplatedIntoCommentMarkers) {
    ASSERT_EQ(Sync({"--template", "logseq"}).exitStatus, 0);
    const std::string page = fixture::FileBytes(m_rich);
    // A set of comment markers would find none in the outline and add every highlight again: the book fails, named.
    const ChildResult retemplated = Sync({"--template", "markdown", "--retemplate"});
    EXPECT_EQ(retemplated.exitStatus, 1);
    EXPECT_NE(retemplated.err.find("is a Logseq page, which the template set \"markdown\" cannot render in place"),
              std::string::npos)
        << retemplated.err;
    EXPECT_EQ(fixture::FileBytes(m_rich), page);
}

TEST_F(SyncNoteAppsTest, ABlockTheUserRemovedStaysRemovedAndAnotherBooksBlockIsLeftAlone) {
    ASSERT_EQ(Sync().exitStatus, 0);
    std::string note = fixture::FileBytes(m_rich);
    const std::string store = fixture::FileBytes(m_notes / "A Store Book - Bo Lind.md");
    const std::size_t r2 = note.find("<!-- marvik-highlight r2 ");
    note.erase(r2, note.find("<!-- marvik-highlight r3 ") - r2);
    const std::size_t s1 = store.find("<!-- marvik-highlight s1 ");
    const std::string copied = store.substr(s1, store.find("<!-- /marvik-highlight s1 -->") + 30 - s1);
    note += "\nQuoted from another book:\n\n" + copied;
    std::ofstream(m_rich, std::ios::binary) << note;
    Reader("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r3'");

    const ChildResult dry = Sync({"--dry-run"});
    EXPECT_EQ(dry.out, "notes/Notes_ _On_ Things - Ann Writer.md: 1 marked deleted, 1 held back (removed from the "
                       "note; --restore adds them again)\n");
    const ChildResult sync = Sync();
    EXPECT_EQ(sync.exitStatus, 0) << sync.err;
    std::string synced = fixture::FileBytes(m_rich);
    EXPECT_EQ(synced.find("marvik-highlight r2 "), std::string::npos) << synced;
    EXPECT_NE(synced.find(copied), std::string::npos) << synced;
    const std::size_t r3 = synced.find("<!-- marvik-highlight r3 ");
    EXPECT_TRUE(synced.substr(r3, synced.find('\n', r3) - r3).ends_with(" deleted -->")) << synced;

    ASSERT_EQ(Sync({"--restore"}).exitStatus, 0);
    synced = fixture::FileBytes(m_rich);
    EXPECT_NE(synced.find("marvik-highlight r2 "), std::string::npos) << synced;
}

TEST_F(SyncNoteAppsTest, AHighlightOneReaderLacksIsNotMarkedDeletedWhenAnotherIsSynced) {
    ASSERT_EQ(Sync().exitStatus, 0);
    // A second reader of the same books: it never had r1, it has a highlight of its own.
    const fs::path other = m_work / "other/KoboReader.sqlite";
    fs::create_directories(other.parent_path());
    fs::copy_file(m_database, other);
    {
        fixture::ReaderDatabase reader(other, fixture::ReaderDatabase::Existing);
        reader.Exec("DELETE FROM Bookmark WHERE BookmarkID = 'r1'");
        reader.AddBookmark(RichHighlight("o1", "span#kobo.3.1", "From the other reader."));
    }
    const ChildResult fromOther =
        RunChild(MARVIK_CLI_EXECUTABLE, {"sync", "--db", other.string(), "--to", "notes"}, m_work.Path());
    EXPECT_EQ(fromOther.exitStatus, 0) << fromOther.err;
    EXPECT_EQ(fromOther.err,
              "marvik-cli: 3 notes: 1 highlight added, 0 updated, 0 marked deleted, 0 kept as you edited them\n");
    std::string note = fixture::FileBytes(m_rich);
    const std::size_t r1 = note.find("<!-- marvik-highlight r1 ");
    EXPECT_FALSE(note.substr(r1, note.find('\n', r1) - r1).ends_with(" deleted -->")) << note;

    // The first reader still lacks o1 and gives up r1: r1 is marked, o1 left alone.
    Reader("DELETE FROM Bookmark WHERE BookmarkID = 'r1'");
    EXPECT_EQ(Sync().err,
              "marvik-cli: 3 notes: 0 highlights added, 0 updated, 1 marked deleted, 0 kept as you edited them\n");
    note = fixture::FileBytes(m_rich);
    const std::size_t o1 = note.find("<!-- marvik-highlight o1 ");
    EXPECT_FALSE(note.substr(o1, note.find('\n', o1) - o1).ends_with(" deleted -->")) << note;
}

} // namespace
