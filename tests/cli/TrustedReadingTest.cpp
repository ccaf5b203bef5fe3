// Reading a reader's database leaves its folder as it was, whatever lies beside the file, whoever may write there.
#include "ChildProcess.h"
#include "DyingWriter.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "SampleBooks.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string kVoyage = "/mnt/onboard/A Winter Voyage.epub";
const std::string kLater = "/mnt/onboard/Later.epub";
const std::string kAddLater = "INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, "
                              "StartContainerChildIndex, StartOffset, EndContainerPath, EndContainerChildIndex, "
                              "EndOffset, Text) VALUES ('l1', '" +
                              kLater + "', 'later.html', 'span#kobo.1.1', 1, 0, '', 1, 0, 'Written later.');";

class TrustedReadingTest : public ::testing::Test {
protected:
    ~TrustedReadingTest() override { ::unsetenv("TMPDIR"); }
    TrustedReadingTest() {
        fs::permissions(m_reader.Path(), fs::perms::all); // others may come in, and write unless made read-only
        fs::permissions(m_results.Path(), fs::perms::all);
        // The command line's private copies go here, to be seen gone afterwards.
        fs::create_directory(m_temporary);
        fs::permissions(m_temporary, fs::perms::all);
        ::setenv("TMPDIR", m_temporary.c_str(), 1);
        fixture::ReaderDatabase db(m_database);
        fixture::AddWinterVoyage(db, kVoyage);
        db.Exec("BEGIN");
        for (int i = 0; i < 300; ++i)
            db.AddBookmark({.bookmarkId = "f" + std::to_string(i),
                            .volumeId = "/mnt/onboard/Filler.epub",
                            .contentId = "filler.html",
                            .text = std::string(400, 'a' + i % 26)});
        db.Exec("COMMIT");
    }
    void UseWal() {
        fixture::ReaderDatabase(m_database, fixture::ReaderDatabase::Existing).Exec("PRAGMA journal_mode=WAL");
    }
    // marvik-cli as a user whom permissions bind: nobody, when the tests run as root.
    ChildResult Cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--db", m_given.string()});
        if (::geteuid() != 0)
            return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_results.Path());
        arguments.insert(arguments.begin(),
                         {"--reuid=65534", "--regid=65534", "--clear-groups", MARVIK_CLI_EXECUTABLE});
        return RunChild("/usr/bin/setpriv", arguments, m_results.Path());
    }
    // list and export --all read everything, and the reader's folder is byte for byte and time for time as it was.
    void ExpectReadAndUntouched(const std::string& expectedInList) {
        const std::string before = fixture::FolderState(m_reader.Path());
        const ChildResult list = Cli({"list"});
        EXPECT_EQ(list.exitStatus, 0) << list.err;
        EXPECT_NE(list.out.find(expectedInList), std::string::npos) << list.out;
        const ChildResult all = Cli({"export", "--all", "--override"});
        EXPECT_EQ(all.exitStatus, 0) << all.err;
        EXPECT_EQ(fixture::FileBytes(m_results / "results/A Winter Voyage.epub.annotations.txt"),
                  "\xEF\xBB\xBF" + std::string(fixture::kWinterVoyageFile));
        EXPECT_EQ(fixture::FolderState(m_reader.Path()), before);
        EXPECT_TRUE(fs::is_empty(m_temporary));
    }

    TempFolder m_reader;
    TempFolder m_results;
    fs::path m_temporary = m_results / "tmp";
    fs::path m_database = m_reader / "KoboReader.sqlite";
    fs::path m_given = m_database; // what --db names
};

TEST_F(TrustedReadingTest, CommittedFramesOfAPendingWalAreReadAndLeftInPlace) {
    UseWal();
    ExpectReadAndUntouched(kVoyage);
    fixture::LeaveCommittedWal(m_database, kAddLater);
    ASSERT_GT(fs::file_size(m_database.string() + "-wal"), 0u);
    ExpectReadAndUntouched(kLater);
    EXPECT_NE(fixture::FileBytes(m_results / "results/Later.epub.annotations.txt").find("Written later."),
              std::string::npos);
}

TEST_F(TrustedReadingTest, ALinkToTheDatabaseIsReadWithThePendingWalBesideItsTarget) {
    UseWal();
    fixture::LeaveCommittedWal(m_database, kAddLater);
    m_given = m_results / "linked.sqlite";
    fs::create_symlink(m_database, m_given);
    ExpectReadAndUntouched(kLater);
    EXPECT_NE(fixture::FileBytes(m_results / "results/Later.epub.annotations.txt").find("Written later."),
              std::string::npos);
}

TEST_F(TrustedReadingTest, AHotJournalIsRolledBackInAPrivateCopyOnly) {
    fixture::LeaveHotJournal(m_database, "UPDATE Bookmark SET Text = 'half-written'; " + kAddLater);
    ASSERT_GT(fs::file_size(m_database.string() + "-journal"), 0u);
    ExpectReadAndUntouched(kVoyage);
    EXPECT_EQ(Cli({"list"}).out.find(kLater), std::string::npos) << "the unfinished transaction is not read";
    EXPECT_FALSE(fs::exists(m_results / "results/Later.epub.annotations.txt"));
}

TEST_F(TrustedReadingTest, ReadOnlyFilesAndFoldersAreReadAsTheyAre) {
    UseWal();
    fixture::LeaveCommittedWal(m_database, kAddLater);
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    for (const char* file : {"", "-wal", "-shm"})
        fs::permissions(m_database.string() + file, readOnly);
    ExpectReadAndUntouched(kLater); // a read-only file in a folder others may write
    fs::permissions(m_reader.Path(), readOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    ExpectReadAndUntouched(kLater); // a read-only folder
}

TEST_F(TrustedReadingTest, AnotherProgramWritingMeanwhileGivesOneCommittedState) {
    // The writer turns every text into "x" and back, one transaction at a time: a reading that mixed two states
    // would show both in one file.
    const pid_t writer = ::fork();
    if (writer == 0) {
        try {
            fixture::ReaderDatabase db(m_database, fixture::ReaderDatabase::Existing);
            db.Exec("PRAGMA busy_timeout = 5000"); // a reader that shares locks holds the writer up a moment
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
                db.Exec(i % 2 ? "UPDATE Bookmark SET Text = 'x'" : "UPDATE Bookmark SET Text = 'y'");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    for (int run = 0; run < 3; ++run) {
        const ChildResult all = Cli({"export", "--all", "--override"});
        ASSERT_EQ(all.exitStatus, 0) << all.err;
        const std::string filler = fixture::FileBytes(m_results / "results/Filler.epub.annotations.txt");
        EXPECT_TRUE(filler.find("\r\nx\t") == std::string::npos || filler.find("\r\ny\t") == std::string::npos);
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer failed";
}

TEST_F(TrustedReadingTest, AReadingEndedByASignalLeavesNoPrivateCopy) {
    // A pending -wal large enough that settling and reading it takes a while.
    UseWal();
    fixture::LeaveCommittedWal(
        m_database, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 39999) "
                    "INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, "
                    "StartContainerChildIndex, StartOffset, EndContainerPath, EndContainerChildIndex, EndOffset, Text) "
                    "SELECT 'w' || i, '/mnt/onboard/Book ' || (i % 500) || '.epub', 'part.html', 'span#kobo.1.1', 1, "
                    "0, '', 1, 0, printf('%.*c', 1000, 'w') FROM n");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t cli = ::fork();
        if (cli == 0) {
            const int quiet = ::open("/dev/null", O_WRONLY);
            if (quiet < 0 || ::dup2(quiet, STDOUT_FILENO) < 0 || ::dup2(quiet, STDERR_FILENO) < 0 ||
                ::chdir(m_results.Path().c_str()) != 0)
                ::_exit(127);
            ::execl(MARVIK_CLI_EXECUTABLE, MARVIK_CLI_EXECUTABLE, "export", "--db", m_database.c_str(), "--all",
                    "--override", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // The signal comes once the -wal is being copied into the private folder.
        int status = 0;
        bool copying = false;
        while (!copying && ::waitpid(cli, &status, WNOHANG) == 0) {
            for (const auto& entry : fs::directory_iterator(m_temporary))
                copying |= fs::exists(entry.path() / "KoboReader.sqlite-wal");
        }
        ASSERT_TRUE(copying) << "marvik-cli ended before it copied the database";
        ::kill(cli, signal);
        ASSERT_EQ(::waitpid(cli, &status, 0), cli);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "ended by " << signal << ": " << status;
        EXPECT_TRUE(fs::is_empty(m_temporary)) << "after signal " << signal;
    }
}

} // namespace
