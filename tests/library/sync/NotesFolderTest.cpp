// Syncing notes into a folder of real files: finding them again, writing them safely, one sync at a time.
#include "NotesFolder.h"
#include "ESyncError.h"
#include "ExportLedger.h"
#include "FileContents.h"
#include "FileSizeLimit.h"
#include "NoteDiff.h"
#include "SyncTally.h"
#include "SyncedBooks.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace synced;

class NotesFolderTest : public ::testing::Test {
protected:
    // Plans and writes each book's note, as a sync does.
    std::vector<PlannedNote> Sync(const std::vector<RenderedNote>& notes) {
        NotesFolder folder(m_folder.Path());
        std::vector<PlannedNote> planned;
        for (const RenderedNote& note : notes) {
            planned.push_back(folder.Plan(note));
            folder.Write(planned.back());
        }
        return planned;
    }

    void Write(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    std::string Quoted(const fs::path& file) const { return "\"" + file.string() + "\""; }

    TempFolder m_folder;
    const fs::path m_voyage = m_folder / "Voyage - Ann Writer.md";
    const fs::path m_tides = m_folder / "Tides - Bo Sailor.md";
    const RenderedBlock m_b1 = Highlight("b1", "One."), m_b2 = Highlight("b2", "Two."), m_t1 = Highlight("t1", "Ebb.");
};

TEST_F(NotesFolderTest, AFirstSyncWritesOneNotePerBookAndASecondWithNothingNewWritesNothing) {
    RenderedNote onlyDeleted = Tides({Highlight("x1", "Gone.", true)});
    onlyDeleted.volumeId = "file:///mnt/onboard/Gone.epub";
    onlyDeleted.name = "Gone";
    const std::vector<PlannedNote> first = Sync({Voyage({m_b1, m_b2}), Tides({m_t1}), onlyDeleted});
    EXPECT_EQ(fixture::FolderNames(m_folder.Path()),
              (std::set<std::string>{".marvik", "Tides - Bo Sailor.md", "Voyage - Ann Writer.md"}));
    EXPECT_EQ(fixture::FileBytes(m_voyage), NewNote(Voyage({m_b1, m_b2})).text);
    SyncTally tally;
    for (const PlannedNote& planned : first)
        tally.Count(planned);
    EXPECT_EQ(tally.Summary(), "2 notes: 3 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited them");

    const auto past = fs::last_write_time(m_voyage) - std::chrono::hours(1);
    fs::last_write_time(m_voyage, past);
    fs::last_write_time(m_tides, past);
    for (const PlannedNote& planned : Sync({Voyage({m_b1, m_b2}), Tides({m_t1})}))
        EXPECT_FALSE(planned.Changes() || planned.Failed()) << planned.file;
    EXPECT_EQ(fs::last_write_time(m_voyage), past);
    EXPECT_EQ(fs::last_write_time(m_tides), past);

    // The day of the sync in the front matter changes with the book, not with the calendar.
    const auto tides = [](std::vector<RenderedBlock> blocks) {
        return [blocks](std::string_view day) {
            RenderedNote note = Tides(blocks);
            note.volumeId = "file:///mnt/onboard/Tides, second edition.epub";
            note.name = "Tides (2)";
            note.frontMatter += "synced: " + std::string(day) + "\n";
            return note;
        };
    };
    const auto plan = [this](const NoteRenderer& render, const std::string& day) {
        NotesFolder folder(m_folder.Path());
        PlannedNote planned = folder.Plan(render, day);
        folder.Write(planned);
        return planned;
    };
    EXPECT_TRUE(plan(tides({m_t1}), "2024-05-01").Changes());
    EXPECT_FALSE(plan(tides({m_t1}), "2024-05-02").Changes());
    EXPECT_NE(fixture::FileBytes(m_folder / "Tides (2).md").find("synced: 2024-05-01\n"), std::string::npos);
    EXPECT_TRUE(plan(tides({m_t1, Highlight("t2", "Flow.")}), "2024-05-03").Changes());
    EXPECT_EQ(fixture::FileBytes(m_folder / "Tides (2).md"),
              NewNote(tides({m_t1, Highlight("t2", "Flow.")})("2024-05-03")).text);
}

TEST_F(NotesFolderTest, ANoteIsFoundByItsKeyWhereverTheUserMovedIt) {
    Sync({Voyage({m_b1})});
    const fs::path moved = m_folder / "Reading" / "2024" / "My voyage.md";
    fs::create_directories(moved.parent_path());
    fs::rename(m_voyage, moved);
    // A note-taking program's trash is no place of notes; a file of the user's under a book's name is not replaced.
    const fs::path trashed = m_folder / ".trash" / "Voyage - Ann Writer.md";
    Write(trashed, fixture::FileBytes(moved));
    Write(m_tides, "My own notes on Tides.\n");

    const std::vector<PlannedNote> planned = Sync({Voyage({m_b1, m_b2}), Tides({m_t1})});
    EXPECT_EQ(planned[0].file, moved);
    EXPECT_EQ(fixture::FileBytes(moved), NewNote(Voyage({m_b1, m_b2})).text);
    EXPECT_EQ(fixture::FileBytes(trashed), NewNote(Voyage({m_b1})).text);
    EXPECT_EQ(fixture::FileBytes(m_tides), "My own notes on Tides.\n");
    EXPECT_EQ(planned[1].file, m_folder / "Tides - Bo Sailor_0000.md");
    EXPECT_EQ(
        fixture::FolderNames(m_folder.Path()),
        (std::set<std::string>{".marvik", ".trash", "Reading", "Tides - Bo Sailor.md", "Tides - Bo Sailor_0000.md"}));

    // Two notes with one book's key: neither is the book's note; the other books go on.
    fs::copy_file(moved, m_folder / "Copy.md");
    const std::vector<PlannedNote> twice = Sync({Voyage({m_b1, m_b2}, "57"), Tides({m_t1, Highlight("t2", "Flow.")})});
    EXPECT_EQ(twice[0].error, "Notes " + Quoted(m_folder / "Copy.md") + " and " + Quoted(moved) +
                                  " both name the book " + Quoted(kVoyage) +
                                  " in their marvik-volume-id: neither is synced. Keep the key in one of them.");
    EXPECT_EQ(fixture::FileBytes(moved), NewNote(Voyage({m_b1, m_b2})).text);
    EXPECT_EQ(twice[1].changes.added, std::vector<std::string>{"t2"});
}

TEST_F(NotesFolderTest, ANoteThatCannotBeSyncedIsLeftAsItIsAndTheOthersGoOn) {
    Sync({Voyage({m_b1}), Tides({m_t1})});
    const std::string written = fixture::FileBytes(m_voyage);

    // The user typed into the note between its reading and its writing.
    {
        NotesFolder folder(m_folder.Path());
        PlannedNote planned = folder.Plan(Voyage({m_b1, m_b2}));
        std::ofstream(m_voyage, std::ios::app) << "Typed meanwhile.\n";
        folder.Write(planned);
        EXPECT_EQ(planned.error, "The note " + Quoted(m_voyage) +
                                     " changed while it was synced: it is left as it is. Sync again to bring it up to "
                                     "date.");
        EXPECT_EQ(fixture::FileBytes(m_voyage), written + "Typed meanwhile.\n");
    }
    Write(m_voyage, written);

    // A full disk: the note keeps its bytes, and no temporary file stays.
    EXPECT_EQ(fixture::RunWithFileSizeLimit(written.size() + 10,
                                            [&] {
                                                NotesFolder folder(m_folder.Path());
                                                PlannedNote planned = folder.Plan(Voyage({m_b1, m_b2}));
                                                folder.Write(planned);
                                                if (planned.Failed())
                                                    throw std::runtime_error(planned.error);
                                            }),
              "Cannot write file " + Quoted(m_voyage) + ": File too large");
    EXPECT_EQ(fixture::FileBytes(m_voyage), written);
    EXPECT_EQ(fixture::FolderNames(m_folder.Path()),
              (std::set<std::string>{".marvik", "Tides - Bo Sailor.md", "Voyage - Ann Writer.md"}));

    // A read-only note stays so, unless nothing in it would change; a note that is no UTF-8 is not read as one.
    fs::permissions(m_voyage, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Write(m_tides, fixture::FileBytes(m_tides) + "Caf\xE9\n");
    EXPECT_FALSE(Sync({Voyage({m_b1})})[0].Failed());
    const std::vector<PlannedNote> planned = Sync({Voyage({m_b1, m_b2}), Tides({m_t1, Highlight("t2", "Flow.")})});
    EXPECT_EQ(planned[0].error, "The note " + Quoted(m_voyage) + " is read-only: it is left as it is.");
    EXPECT_EQ(planned[1].error, "The note " + Quoted(m_tides) + " is not UTF-8 text: it is left as it is.");
    EXPECT_EQ(fixture::FileBytes(m_voyage), written);

    if (::geteuid() != 0) { // the superuser writes anywhere
        const fs::path locked = m_folder / "locked";
        fs::create_directory(locked);
        fs::rename(m_voyage, locked / "Voyage.md");
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(locked / "Voyage.md", fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(Sync({Voyage({m_b1, m_b2})})[0].error,
                  "Cannot create file " + Quoted(locked / "Voyage.md") + ": Permission denied");
        fs::permissions(locked, fs::perms::owner_all);
    }
}

TEST_F(NotesFolderTest, OneSyncAtATimeIntoAFolderThatExists) {
    const fs::path missing = m_folder / "Vault";
    try {
        NotesFolder folder(missing);
        ADD_FAILURE() << "a missing folder was synced";
    } catch (const ESyncError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The notes folder " + Quoted(missing) + " does not exist: choose another, or make it first.");
    }
    EXPECT_FALSE(fs::exists(missing));

    const int held = ::open(m_folder.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    try {
        NotesFolder folder(m_folder.Path());
        ADD_FAILURE() << "a held folder was synced";
    } catch (const ESyncError& error) {
        EXPECT_EQ(std::string(error.what()), "Another sync or export is writing into the notes folder " +
                                                 Quoted(m_folder.Path()) +
                                                 ": nothing was synced. Sync again when it is done.");
    }
    ::close(held);
    EXPECT_TRUE(fixture::FolderNames(m_folder.Path()).empty());

    // A sync holds the folder: an export of new highlights into it says that one of the two is writing there.
    const NotesFolder syncing(m_folder.Path());
    try {
        ExportLedger::Load(m_folder.Path(), ExportFormat::Markdown);
        ADD_FAILURE() << "an export went into a folder a sync holds";
    } catch (const ELedgerBusy& error) {
        EXPECT_EQ(
            std::string(error.what())
                .rfind("Another export or sync into " + Quoted(m_folder.Path()) + " is running: nothing was exported.",
                       0),
            0u)
            << error.what();
    }
}

TEST_F(NotesFolderTest, ADryRunWritesNothingAndTellsWhatWouldChange) {
    Sync({Voyage({m_b1, m_b2})});
    std::string note = fixture::FileBytes(m_voyage);
    Write(m_voyage, note.replace(note.find("> One."), 6, "> One, mine."));

    NotesFolder folder(m_folder.Path());
    const PlannedNote planned = folder.Plan(Voyage({{"b1", "> One.\n\n*note*\n\n"}, Highlight("b3", "Three.")}, "57"));
    const PlannedNote added = folder.Plan(Tides({m_t1}));
    EXPECT_EQ(fixture::FileBytes(m_voyage), note);
    EXPECT_EQ(fixture::FolderNames(m_folder.Path()), (std::set<std::string>{".marvik", "Voyage - Ann Writer.md"}));
    EXPECT_EQ(DescribeChanges(planned), "1 added, 1 marked deleted, 1 kept as you edited it, front matter updated");
    EXPECT_EQ(DescribeChanges(added), "new note, 1 added");

    // The diff, in the unified form; a new note's diff is from nothing.
    EXPECT_EQ(UnifiedDiff("a\nb\nc\nd\ne\nf\ng\nh\n", "a\nB\nc\nd\ne\nf\ng\nh\ni\n", "a/n.md", "b/n.md"),
              "--- a/n.md\n+++ b/n.md\n@@ -1,5 +1,5 @@\n a\n-b\n+B\n c\n d\n e\n@@ -6,3 +6,4 @@\n f\n g\n h\n+i\n");
    EXPECT_EQ(UnifiedDiff("", "a\nb\n", "/dev/null", "b/n.md"), "--- /dev/null\n+++ b/n.md\n@@ -0,0 +1,2 @@\n+a\n+b\n");
    EXPECT_EQ(UnifiedDiff("a\n", "a\n", "a/n.md", "b/n.md"), "");
}

} // namespace
