// A synced note shows its book's cover: the picture copied into the notes folder's attachments, named in the note's
// front matter, a user's own file of that name left alone, and nothing of it where no cover is at hand.
#include "NotesSync.h"
#include "ReaderLibrary.h"

#include "EpubMaker.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"
#include "YamlDocuments.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace fixture::records;

class CoverAttachmentTest : public ::testing::Test {
protected:
    CoverAttachmentTest() {
        fs::create_directories(m_volume / ".kobo");
        fs::create_directories(m_notes);
        fixture::ReaderDatabase reader(m_volume / ".kobo" / "KoboReader.sqlite");
        fixture::AddWholeRecordLibrary(reader);
    }

    // The notes' front matter, by book.
    std::map<std::string, nlohmann::json> Sync(bool dryRun = false) {
        ReaderLibrary library;
        SilentProgress silent;
        library.LoadDatabase(m_volume / ".kobo" / "KoboReader.sqlite", silent);
        NotesFolder folder(m_notes);
        std::map<std::string, nlohmann::json> notes;
        SyncAllNotes(library, folder, {*TemplateSet::Named("obsidian"), SyncReading({}), dryRun}, m_progress,
                     [&](const PlannedNote& planned) {
                         if (!dryRun && !planned.Failed())
                             notes[planned.volumeId] = YamlDocuments(planned.file)[0];
                     });
        return notes;
    }

    TempFolder m_volume;
    TempFolder m_work;
    fs::path m_notes = m_work / "notes";
    fixture::RecordingProgress m_progress;
};

TEST_F(CoverAttachmentTest, TheCoverIsCopiedBesideTheNotesAndNamedInTheFrontMatter) {
    const std::string cover = fixture::PngHeader(600, 800) + "the rest of the picture";
    const fs::path book = m_volume / "Ann Writer" / "Notes - Ann Writer.kepub.epub";
    fs::create_directories(book.parent_path());
    fixture::EpubMaker()
        .Package(R"(<item id="c" href="c.png" media-type="image/png" properties="cover-image"/>)", "")
        .Add("OEBPS/c.png", cover)
        .Write(book);
    // The user's own picture under the name the book's title gives.
    const fs::path own = m_notes / "attachments" / "Notes_ _On_ Things.png";
    fs::create_directories(own.parent_path());
    std::ofstream(own, std::ios::binary) << "the user's own";

    std::map<std::string, nlohmann::json> notes = Sync();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[kRich]["cover"], "attachments/Notes_ _On_ Things_0001.png");
    EXPECT_EQ(fixture::FileBytes(m_notes / "attachments" / "Notes_ _On_ Things_0001.png"), cover);
    EXPECT_EQ(fixture::FileBytes(own), "the user's own");
    // Books without a cover at hand have no cover property.
    EXPECT_FALSE(notes[kStore].contains("cover"));
    EXPECT_FALSE(notes[kUntitled].contains("cover"));

    // The next sync finds its copy again: no third file, no change to the note.
    const auto before = fixture::FolderNames(m_notes);
    Sync();
    EXPECT_EQ(fixture::FolderNames(m_notes / "attachments"),
              (std::set<std::string>{"Notes_ _On_ Things.png", "Notes_ _On_ Things_0001.png"}));
    EXPECT_EQ(fixture::FolderNames(m_notes), before);
}

TEST_F(CoverAttachmentTest, ARefusedCoverIsWarnedOfAndTheNoteWrittenWithoutIt) {
    const fs::path book = m_volume / "Ann Writer" / "Notes - Ann Writer.kepub.epub";
    fs::create_directories(book.parent_path());
    fixture::EpubMaker()
        .Package(R"(<item id="c" href="c.png" media-type="image/png" properties="cover-image"/>)", "")
        .Add("OEBPS/c.png", fixture::PngHeader(60000, 60000))
        .Write(book);
    std::map<std::string, nlohmann::json> notes = Sync();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_FALSE(notes[kRich].contains("cover"));
    EXPECT_FALSE(fs::exists(m_notes / "attachments"));
    EXPECT_NE(std::ranges::find(m_progress.events, "warn:the cover " + book.string() +
                                                       ": OEBPS/c.png is 60000x60000 pixels, more than 10000 a side"),
              m_progress.events.end());
}

} // namespace
