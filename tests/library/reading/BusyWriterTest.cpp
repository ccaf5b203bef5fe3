// Another program committing every 20 ms beside a reading that takes its time, as the export of a large library
// does: however long the readings of the files as they are take, the reading shares the writer's locks before it
// gives up, and what it read is one committed state.
#include "ReaderConnection.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"
#include "TSQLiteCursor.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// A reading of a large library, three seconds long: more than half of the time a reading may take.
constexpr auto kReadingTime = std::chrono::seconds(3);

class BusyWriterTest : public ReaderFolderTest {
protected:
    BusyWriterTest() {
        fixture::AddWinterVoyage(reader, "/mnt/onboard/A Winter Voyage.epub");
        reader.Exec("UPDATE Bookmark SET Text = 'x'");
    }
    ~BusyWriterTest() override {
        if (m_writer > 0) {
            ::kill(m_writer, SIGKILL);
            ::waitpid(m_writer, nullptr, 0);
        }
    }
    // Turns every text into "y" and back, one transaction every 20 ms, until it is ended.
    void StartWriter() {
        reader.Close();
        m_writer = ::fork();
        if (m_writer != 0)
            return;
        try {
            fixture::ReaderDatabase db(reader.Path(), fixture::ReaderDatabase::Existing);
            db.Exec("PRAGMA busy_timeout = 60000"); // a reader that shares locks holds it up for a reading's time
            for (int i = 0;; ++i) {
                db.Exec(i % 2 ? "UPDATE Bookmark SET Text = 'x'" : "UPDATE Bookmark SET Text = 'y'");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        } catch (...) {
        }
        ::_exit(1);
    }
    // Reads how many texts the bookmarks have, taking a large library's time; one committed state has one.
    std::string DistinctTexts() {
        std::string distinct;
        SilentProgress silent;
        const bool read = ReadReaderDatabase(reader.Path(), "the highlights", silent, [&](ReaderConnection& opened) {
            const auto end = std::chrono::steady_clock::now() + kReadingTime;
            TSQLiteCursor rows(opened.Database(), "SELECT COUNT(DISTINCT Text) FROM Bookmark");
            distinct = rows.Step() ? std::string(rows.FieldAsText(0)) : "";
            std::this_thread::sleep_until(end);
        });
        EXPECT_TRUE(read);
        return distinct;
    }
    bool WriterStillWrites() { return ::waitpid(m_writer, nullptr, WNOHANG) == 0; }

    pid_t m_writer = -1;
};

TEST_F(BusyWriterTest, InRollbackModeTheLocksAreSharedBeforeGivingUp) {
    StartWriter();
    EXPECT_EQ(DistinctTexts(), "1");
    EXPECT_TRUE(WriterStillWrites());
}

TEST_F(BusyWriterTest, InWalModeTheLocksAreSharedBeforeGivingUp) {
    reader.Exec("PRAGMA journal_mode=WAL");
    StartWriter();
    EXPECT_EQ(DistinctTexts(), "1");
    EXPECT_TRUE(WriterStillWrites());
}

} // namespace
