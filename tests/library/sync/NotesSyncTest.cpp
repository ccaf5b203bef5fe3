// A whole sync over a loaded library: each book told as it is done, a stop heeded between books.
#include "NotesSync.h"
#include "ReaderLibrary.h"

#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

namespace fs = std::filesystem;

// Asks to stop once the given number of books is done; asked from the thread that reads the books too.
class StopAfter : public fixture::RecordingProgress {
public:
    explicit StopAfter(std::size_t books) : m_books(books) {}
    void StepProgress() override {
        fixture::RecordingProgress::StepProgress();
        ++m_done;
    }
    bool StopRequested() const override { return m_done >= m_books; }

private:
    std::size_t m_books;
    std::atomic<std::size_t> m_done = 0;
};

class NotesSyncTest : public ::testing::Test {
protected:
    NotesSyncTest() {
        {
            fixture::ReaderDatabase reader(m_database);
            fixture::AddWholeRecordLibrary(reader);
        }
        fs::create_directory(m_notes);
        SilentProgress silent;
        m_library.LoadDatabase(m_database, silent);
    }

    std::vector<std::string> Sync(ProgressReporter& progress, SyncTally& tally, bool dryRun = false) {
        NotesFolder folder(m_notes);
        std::vector<std::string> told;
        tally = SyncAllNotes(m_library, folder, {*m_templates, SyncReading({}), dryRun}, progress,
                             [&](const PlannedNote& planned) { told.push_back(planned.file.filename().string()); });
        return told;
    }

    TempFolder m_work;
    fs::path m_database = m_work / "reader.sqlite";
    fs::path m_notes = m_work / "notes";
    ReaderLibrary m_library;
    std::shared_ptr<const TemplateSet> m_templates = TemplateSet::Named("markdown");
};

TEST_F(NotesSyncTest, BooksAreToldOneByOneAndAStopLeavesTheRestAlone) {
    SyncTally tally;
    StopAfter stop(1);
    EXPECT_EQ(Sync(stop, tally).size(), 1u);
    EXPECT_TRUE(tally.stopped);
    EXPECT_EQ(tally.notes, 1u);
    EXPECT_EQ(stop.events.front(), "status:syncing notes");
    EXPECT_EQ(stop.events[1], "start:3");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_notes), {}), 2); // and what the notes received

    // A dry run plans the two notes left and writes none; the sync then writes them, and the next finds nothing new.
    fixture::RecordingProgress all;
    EXPECT_EQ(Sync(all, tally, true).size(), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_notes), {}), 2); // and what the notes received
    EXPECT_EQ(Sync(all, tally).size(), 3u);
    EXPECT_FALSE(tally.stopped);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_notes), {}), 4);
    Sync(all, tally);
    EXPECT_EQ(tally.Summary(), "3 notes: 0 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited them");
    EXPECT_EQ(all.steps, 9u);
}

} // namespace
