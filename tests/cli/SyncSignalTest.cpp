// Ctrl+C during marvik-cli sync: a stop between two books, said so, with an exit status that is no success.
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

namespace {

namespace fs = std::filesystem;

std::size_t NotesIn(const fs::path& folder) {
    std::size_t notes = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        notes += entry->path().extension() == ".md";
    return notes;
}

TEST(SyncSignalTest, ASignalStopsTheSyncBetweenBooksAndTheRunSaysSo) {
    TempFolder work;
    const fs::path database = work / "reader.sqlite";
    const fs::path notes = work / "notes";
    // Enough books that the sync is far from done when its first note appears.
    constexpr int kBooks = 2000;
    {
        fixture::ReaderDatabase reader(database);
        reader.Exec("BEGIN");
        for (int book = 0; book < kBooks; ++book) {
            const std::string id = "file:///mnt/onboard/book-" + std::to_string(book) + ".epub";
            reader.AddBook({.volumeId = id, .title = "Book " + std::to_string(book), .author = "Ann Writer"});
            reader.AddBookmark(
                {.bookmarkId = id + "#1", .volumeId = id, .contentId = id + "#(0)a.html", .text = "A line."});
        }
        reader.Exec("COMMIT");
    }
    for (const int signal : {SIGINT, SIGTERM}) {
        fs::remove_all(notes);
        fs::create_directory(notes);
        const fs::path err = work / "err";
        const pid_t cli = ::fork();
        if (cli == 0) {
            const int quiet = ::open("/dev/null", O_WRONLY);
            const int said = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (quiet < 0 || said < 0 || ::dup2(quiet, STDOUT_FILENO) < 0 || ::dup2(said, STDERR_FILENO) < 0 ||
                ::chdir(work.Path().c_str()) != 0)
                ::_exit(127);
            ::execl(MARVIK_CLI_EXECUTABLE, MARVIK_CLI_EXECUTABLE, "sync", "--db", database.c_str(), "--to",
                    notes.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        pid_t ended = 0;
        while (NotesIn(notes) == 0 && (ended = ::waitpid(cli, &status, WNOHANG)) == 0) {
        }
        ASSERT_EQ(ended, 0) << "marvik-cli ended before its first note: " << fixture::FileBytes(err);
        ::kill(cli, signal);
        ASSERT_EQ(::waitpid(cli, &status, 0), cli);
        ASSERT_TRUE(WIFEXITED(status)) << "stopped, not ended by signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        const std::size_t written = NotesIn(notes);
        EXPECT_GT(written, 0u);
        EXPECT_LT(written, static_cast<std::size_t>(kBooks)) << "marvik-cli ended before the signal came";
        const std::string said = fixture::FileBytes(err);
        EXPECT_TRUE(said.ends_with("marvik-cli: stopped by a signal, the notes of the other books left as they were: " +
                                   std::to_string(written) + (written == 1 ? " note: " : " notes: ") +
                                   std::to_string(written) + (written == 1 ? " highlight added" : " highlights added") +
                                   ", 0 updated, 0 marked deleted, 0 kept as you edited them\n"))
            << said;
        for (const std::string& name : fixture::FolderNames(notes))
            EXPECT_TRUE(name.ends_with(".md") || name.starts_with(".marvik")) << name;
    }
}

} // namespace
