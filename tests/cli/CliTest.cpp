// marvik-cli end to end: the built executable run on real reader databases.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "SampleBooks.h"
#include "ScopedEnvironment.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Byte order puts "Bo" first; the lists ignore case, so "anna" comes first.
const std::string kVoyage = "file:///mnt/onboard/anna Berg/Winter Voyage.epub";
const std::string kTrain = "file:///mnt/onboard/Bo Lind/Night Train.kepub.epub";
const std::string kNotes = "file:///mnt/onboard/carl Moe/Notes.epub";
const std::string kTrainPart = kTrain + "!!OEBPS/Text/ch01.xhtml";

using fixture::FileBytes;

void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture::ReaderDatabase db(m_database);
        db.AddBookmark({.bookmarkId = "n-1", .volumeId = kNotes, .contentId = kNotes + "#(0)index.html"});
        db.AddBook({.volumeId = kTrain, .title = "Night Train", .author = "Bo Lind"});
        db.AddPart({.contentId = kTrainPart, .bookId = kTrain, .bookTitle = "Night Train", .title = "One"});
        db.AddBookmark({.bookmarkId = "t-1",
                        .volumeId = kTrain,
                        .contentId = kTrainPart + "#frag",
                        .startContainerPath = "span#kobo.4.2",
                        .text = "Lights passed."});
        db.AddBookmark({.bookmarkId = "t-2", .volumeId = kTrain, .contentId = kTrainPart, .text = "Dark."});

        fixture::AddWinterVoyage(db, kVoyage);
    }

    ChildResult Cli(const std::vector<std::string>& arguments) {
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }
    ChildResult CliOn(const fs::path& database, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--db", database.string()});
        return Cli(arguments);
    }

    TempFolder m_work;
    // A backup is added to the archive in the user's data folder: the test's own.
    fixture::ScopedEnvironment m_data{"XDG_DATA_HOME", m_work / "data"};
    fs::path m_database = m_work / "reader.sqlite";
};

TEST_F(CliTest, ListPrintsVolumesInListOrderWithTitleAndAuthor) {
    const ChildResult run = CliOn(m_database, {"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out,
              kVoyage + "\tA Winter Voyage\tSome Author\n" + kTrain + "\tNight Train\tBo Lind\n" + kNotes + "\t\t\n");
    EXPECT_EQ(run.err, "");

    // Text that is not UTF-8 shows as empty text in the window; the id stays as stored, for export to find.
    fixture::ReaderDatabase latin1(m_work / "latin1.sqlite");
    const std::string cafe = "/mnt/onboard/caf\xE9.epub";
    latin1.AddBook({.volumeId = cafe, .title = "Caf\xE9", .author = "\xC3\x89mile"});
    latin1.AddBookmark({.bookmarkId = "c", .volumeId = cafe, .contentId = cafe + "#(0)a.html"});
    latin1.Close();
    EXPECT_EQ(CliOn(latin1.Path(), {"list"}).out, cafe + "\t\t\xC3\x89mile\n");
}

TEST_F(CliTest, OutputThatCannotBeWrittenIsAnError) {
    // The export goes on writing files after its first path is lost; their calls must not change the reason.
    const std::string db = "--db=" + m_database.string();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"list", db}, {"export", db, kVoyage, kTrain, kNotes}}) {
        const ChildResult run = RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path(), "/dev/full");
        EXPECT_EQ(run.exitStatus, 1) << arguments.front();
        EXPECT_EQ(run.err, "marvik-cli: cannot write to standard output: No space left on device\n");
    }
}

TEST_F(CliTest, ExportWritesWhatTheOptionsSayAndPrintsThePaths) {
    const ChildResult first = CliOn(m_database, {"export", kVoyage});
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, "results/Winter Voyage.epub.annotations_0000.txt\n");
    EXPECT_EQ(FileBytes(m_work / "results/Winter Voyage.epub.annotations_0000.txt").substr(0, 30),
              "\xEF\xBB\xBF>>>Title: A Winter Voyage\r\n");
    EXPECT_EQ(CliOn(m_database, {"export", "--override", kVoyage}).out, "results/Winter Voyage.epub.annotations.txt\n");

    const ChildResult run =
        CliOn(m_database, {"export", "--results", "out/nested", "--no-bom", "--separator", " | ", kVoyage});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(FileBytes(m_work / "out/nested/Winter Voyage.epub.annotations_0000.txt"),
              ">>>Title: A Winter Voyage\r\n>>>Author: Some Author\r\n>>>SECTION: Chapter One\r\n"
              "It was cold that morning. | good opening\r\nThe ship left at dawn. | \r\n"
              ">>>SECTION: Chapter Two\r\n | check this date\r\n");

    EXPECT_EQ(CliOn(m_database, {"export", "--stdout", "--no-bom", kVoyage}).out, fixture::kWinterVoyageFile);

    const ChildResult all = CliOn(m_database, {"export", "--all"});
    EXPECT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_EQ(all.out, "results/Winter Voyage.epub.annotations_0001.txt\n"
                       "results/Night Train.kepub.epub.annotations_0000.txt\n"
                       "results/Notes.epub.annotations_0000.txt\n");
}

TEST_F(CliTest, FailedExportIsReportedAfterTheOtherVolumes) {
    // Every numbered name taken: the export of that volume goes wrong, the next one is still written.
    fs::create_directories(m_work / "results");
    for (int n = 0; n < 10000; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "Winter Voyage.epub.annotations_%04d.txt", n);
        WriteFile(m_work / "results" / name, "");
    }
    // A folder where Notes' file would go: writing it raises an error.
    fs::create_directory(m_work / "results/Notes.epub.annotations_0000.txt");
    const ChildResult run = CliOn(m_database, {"export", kVoyage, kNotes, kTrain});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "something went wrong!\n" + kVoyage + ": something went wrong!\n" + kNotes +
                           ": Cannot create file \"results/Notes.epub.annotations_0000.txt\": Is a directory\n");
    EXPECT_EQ(run.out, "results/Night Train.kepub.epub.annotations_0000.txt\n");
}

TEST_F(CliTest, NamesFromTheDatabaseNeverNameAnotherFile) {
    std::string longName; // 85 CJK characters: 255 bytes, a whole Linux file name before the suffix
    for (int i = 0; i < 85; ++i)
        longName += "\xE6\x9C\xAC";
    fixture::ReaderDatabase db(m_work / "hostile.sqlite");
    db.AddBookmark({.bookmarkId = "l", .volumeId = "/mnt/onboard/" + longName + ".epub", .contentId = "l.html"});
    db.AddBookmark({.bookmarkId = "p", .volumeId = "p", .contentId = "p.html"});
    // A VolumeID column declared BLOB gives its values back whole: this one ends in a NUL, where the system would end
    // a name holding it.
    db.Exec("ALTER TABLE Bookmark RENAME COLUMN VolumeID TO StoredVolumeID");
    db.Exec("ALTER TABLE Bookmark ADD COLUMN VolumeID BLOB");
    const std::string passwd = "CAST(X'2F6574632F70617373776400' AS BLOB)";
    db.Exec("UPDATE Bookmark SET VolumeID = CASE BookmarkID WHEN 'p' THEN " + passwd + " ELSE StoredVolumeID END");
    db.AddBook({.volumeId = "p", .title = "Passwords", .author = {}});
    db.Exec("UPDATE content SET ContentID = " + passwd + " WHERE ContentID = 'p'");
    db.Close();
    fs::create_directories(m_work / "results");
    WriteFile(m_work / "results/passwd", "an unrelated file");

    const std::string safeLong = "results/" + longName.substr(0, 177) + ".annotations";
    const ChildResult replacing = CliOn(db.Path(), {"export", "--override", "--all"});
    EXPECT_EQ(replacing.exitStatus, 0) << replacing.err;
    EXPECT_EQ(replacing.out, "results/passwd_.annotations.txt\n" + safeLong + ".txt\n");
    const ChildResult numbered = CliOn(db.Path(), {"export", "--all"});
    EXPECT_EQ(numbered.exitStatus, 0) << numbered.err;
    EXPECT_EQ(numbered.out, "results/passwd_.annotations_0000.txt\n" + safeLong + "_0000.txt\n");
    EXPECT_EQ(FileBytes(m_work / "results/passwd"), "an unrelated file");
    EXPECT_EQ(fixture::FolderNames(m_work / "results").size(), 6u) << "passwd, four exports and the ledger";
}

TEST_F(CliTest, RepairPrintsStatements) {
    const ChildResult run = CliOn(m_database, {"repair", kTrain});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out,
              "UPDATE Bookmark SET ContentID=\"" + kTrainPart + "\" WHERE ContentID=\"" + kTrainPart + "#frag\";\n");
}

TEST_F(CliTest, AnUnknownVolumeIdIsReportedAndGetsNoFile) {
    const std::string typo = "file:///nope";
    const ChildResult run = CliOn(m_database, {"export", typo, kVoyage});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "not found: " + typo + "\n");
    EXPECT_EQ(run.out, "results/Winter Voyage.epub.annotations_0000.txt\n") << "the other ids are still exported";
    EXPECT_EQ(fixture::FolderNames(m_work / "results"),
              (std::set<std::string>{".marvik-ledger.json", "Winter Voyage.epub.annotations_0000.txt"}));
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"repair", typo}, {"export", "--stdout", typo}}) {
        const ChildResult one = CliOn(m_database, arguments);
        EXPECT_EQ(one.exitStatus, 1) << arguments.front();
        EXPECT_EQ(one.err, "not found: " + typo + "\n");
        EXPECT_EQ(one.out, "");
    }

    // A book whose every highlight was deleted on the reader is not listed, but it is no typo.
    fixture::ReaderDatabase(m_database, fixture::ReaderDatabase::Existing)
        .Exec("UPDATE Bookmark SET Hidden = 'true' WHERE VolumeID = '" + kNotes + "'");
    EXPECT_EQ(CliOn(m_database, {"export", kNotes}).exitStatus, 0);
}

TEST_F(CliTest, ListKeepsEveryVolumeOnOneLineOfThreeFields) {
    fixture::ReaderDatabase db(m_database, fixture::ReaderDatabase::Existing);
    db.Exec("UPDATE content SET Attribution = 'Bo' || char(13) || char(133) || 'Lind' WHERE ContentID = '" + kTrain +
            "'");
    db.Exec("UPDATE content SET BookTitle = 'Night' || char(10) || 'Train' || char(9) || char(27) || '[0m' "
            "WHERE BookID = '" +
            kTrain + "'");
    db.Close();
    const ChildResult run = CliOn(m_database, {"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, kVoyage + "\tA Winter Voyage\tSome Author\n" + kTrain + "\tNight Train  [0m\tBo  Lind\n" +
                           kNotes + "\t\t\n");
}

TEST_F(CliTest, DatabaseErrorsShowTheAccessLayerMessageWithLineBreaks) {
    const fs::path text = m_work / "notes.txt";
    WriteFile(text, "These are notes, not a database. They are long enough to fill a header of one hundred bytes.\n");
    std::string expected;
    try {
        TSQLiteDatabase db(text.string());
        db.GetTable("SELECT VolumeID, StartContainerChildIndex FROM Bookmark");
    } catch (const ESQLiteException& error) {
        expected = error.what();
    }
    ASSERT_NE(expected.find('\r'), std::string::npos);
    std::replace(expected.begin(), expected.end(), '\r', '\n');

    const ChildResult run = CliOn(text, {"list"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, expected + "\n");
    EXPECT_EQ(run.out, "");

    fixture::ReaderDatabase noBookmarks(m_work / "no-bookmarks.sqlite");
    noBookmarks.Exec("DROP TABLE Bookmark");
    noBookmarks.Close();
    const ChildResult missingTable = CliOn(noBookmarks.Path(), {"export", "--all"});
    EXPECT_EQ(missingTable.exitStatus, 1);
    EXPECT_NE(missingTable.err.find("no such table: Bookmark"), std::string::npos) << missingTable.err;
    EXPECT_EQ(missingTable.err.find('\r'), std::string::npos);
    EXPECT_FALSE(fs::exists(m_work / "results"));
}

TEST_F(CliTest, MissingDatabaseIsAnErrorAndNoFileAppears) {
    const fs::path missing = m_work / "gone.sqlite";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"list"}, {"export", "--all"}, {"repair", kTrain}}) {
        const ChildResult run = CliOn(missing, arguments);
        EXPECT_EQ(run.exitStatus, 1) << arguments.front();
        EXPECT_EQ(run.err, "database file not found: " + missing.string() + "\n");
        EXPECT_FALSE(fs::exists(missing)) << arguments.front();
    }
    // Nor is a folder, a FIFO or a device; opening the FIFO would block.
    const fs::path fifo = m_work / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& [path, kind] : {std::pair{m_work.Path(), "folder"}, {fifo, "FIFO"}, {"/dev/null", "device"}}) {
        const ChildResult run = CliOn(path, {"list"});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err, "not a database file: " + path.string() + " is a " + kind + "\n");
    }
}

TEST_F(CliTest, ResultsPathThatIsAFileFails) {
    const fs::path notAFolder = m_work / "results-file";
    WriteFile(notAFolder, "x");
    const ChildResult onFile = CliOn(m_database, {"export", "--results", notAFolder.string(), kVoyage});
    EXPECT_EQ(onFile.exitStatus, 1);
    EXPECT_NE(onFile.err.find("results-file"), std::string::npos) << onFile.err;
    EXPECT_EQ(onFile.out, "");
    EXPECT_EQ(FileBytes(notAFolder), "x");
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> wrong = {{},
                                                         {"frobnicate"},
                                                         {"list", "--bogus"},
                                                         {"list", "stray"},
                                                         {"list", "--results", "x"},
                                                         {"list", "--db"},
                                                         {"export"},
                                                         {"export", "--all", kVoyage},
                                                         {"export", "--no-bom=yes", "--all"},
                                                         {"export", kVoyage, "--separator"},
                                                         {"export", "--format", "xml", kVoyage},
                                                         {"export", "--stdout", "--all"},
                                                         {"export", "--new-only", "--stdout", kVoyage},
                                                         {"backup", "--keep", "0"},
                                                         {"repair"},
                                                         {"repair", kVoyage, kTrain}};
    // Found out before any database is looked for.
    for (const std::vector<std::string>& arguments : wrong) {
        const ChildResult run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, 2) << testing::PrintToString(arguments);
        EXPECT_NE(run.err.find("Usage:"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(m_work / "results"));
}

TEST_F(CliTest, HelpGoesToStandardOutput) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"-h"}, {"help"}, {"export", "--help"}}) {
        const ChildResult run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(run.out.find("--separator TEXT"), std::string::npos);
        EXPECT_NE(run.out.find("Exit status"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    // Each command's synopsis names the reading switches that it takes.
    const std::string help = Cli({"--help"}).out;
    for (const std::string command : {"list ", "export", "repair"}) {
        const std::size_t from = help.find("  marvik-cli " + command);
        EXPECT_LT(help.find("[--include-deleted] [--file-titles]", from), help.find("  marvik-cli ", from + 1));
    }
}

TEST_F(CliTest, BackupAndNewOnlyExportPrintPathsAndTellTheRestOnStandardError) {
    const ChildResult backup = CliOn(m_database, {"backup", "--to", "saved"});
    EXPECT_EQ(backup.exitStatus, 0) << backup.err;
    EXPECT_TRUE(fs::is_regular_file(m_work / backup.out.substr(0, backup.out.size() - 1))) << backup.out;
    const ChildResult again = CliOn(m_database, {"backup", "--to=saved", "--keep", "1"});
    EXPECT_EQ(again.out, backup.out);
    EXPECT_EQ(again.err, "marvik-cli: the database equals the newest backup: not kept twice\n");

    const ChildResult first = CliOn(m_database, {"export", "--new-only", "--all"});
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(first.out,
              "results/Winter Voyage.epub.annotations_0000.txt\n"
              "results/Night Train.kepub.epub.annotations_0000.txt\nresults/Notes.epub.annotations_0000.txt\n");
    EXPECT_EQ(first.err, "marvik-cli: 6 new highlights in 3 books\n");
    const ChildResult second = CliOn(m_database, {"export", "--new-only", kVoyage, kNotes});
    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_EQ(second.out + second.err, "marvik-cli: no new highlights\n");

    // One file for every book counts the books it holds, not the file.
    const ChildResult clippings = CliOn(m_database, {"export", "--new-only", "--all", "--format", "clippings"});
    EXPECT_EQ(clippings.exitStatus, 0);
    EXPECT_EQ(clippings.out, "results/My Clippings_0000.txt\n");
    EXPECT_EQ(clippings.err, "marvik-cli: 6 new highlights in 3 books\n");
}

TEST_F(CliTest, NewOnlyExportListsWhatItWroteWhenTheLedgerCannotBeSaved) {
    // A ledger that knows another book makes the saved one larger than a file size limit that the exports stay
    // under: its save fails as on a full disk, after the files are written.
    const fs::path ledger = m_work / "results/.marvik-ledger.json";
    fs::create_directories(ledger.parent_path());
    std::string known = R"({"books": {"file:///elsewhere": {)";
    for (int i = 0; i < 8; ++i)
        known += (i ? "," : "") +
                 ("\"" + std::to_string(i) + R"(": {"modified": "", "sha256": ")" + std::string(64, 'a') + "\"}");
    known += R"(}}, "version": 1})";
    WriteFile(ledger, known);
    const auto limited = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> shell = {"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"", MARVIK_CLI_EXECUTABLE,
                                          "--db=" + m_database.string()};
        shell.insert(shell.end() - 1, arguments.front());
        shell.insert(shell.end(), arguments.begin() + 1, arguments.end());
        return RunChild("/bin/sh", shell, m_work.Path());
    };
    const std::string notSaved =
        "The ledger of exported highlights \"results/.marvik-ledger.json\" could not be saved (Cannot write file "
        "\"results/.marvik-ledger.json\": File too large). ";
    const std::string again = " not recorded in it: the next export of new highlights writes their highlights again.\n";

    // The per-book failure is told as always, and the ledger's after it.
    fs::create_directory(m_work / "results/Notes.epub.annotations_0000.txt");
    const ChildResult all = limited({"export", "--new-only", "--all"});
    EXPECT_EQ(all.exitStatus, 1);
    EXPECT_EQ(all.out, "results/Winter Voyage.epub.annotations_0000.txt\n"
                       "results/Night Train.kepub.epub.annotations_0000.txt\n");
    EXPECT_EQ(all.err, "marvik-cli: 5 new highlights in 2 books\nsomething went wrong!\n" + kNotes +
                           ": Cannot create file \"results/Notes.epub.annotations_0000.txt\": Is a directory\n" +
                           notSaved + "The 2 files written are" + again);
    EXPECT_EQ(FileBytes(ledger), known);

    const ChildResult one = limited({"export", "--new-only", kTrain, kVoyage});
    EXPECT_EQ(one.exitStatus, 1);
    EXPECT_EQ(one.out, "results/Night Train.kepub.epub.annotations_0001.txt\n");
    EXPECT_EQ(one.err, "marvik-cli: 2 new highlights in 1 book\n" + notSaved + "The file written is" + again);
    EXPECT_EQ(FileBytes(ledger), known);

    // An export of everything has done what was asked: it says so, and succeeds.
    const ChildResult plain = limited({"export", kVoyage});
    EXPECT_EQ(plain.exitStatus, 0);
    EXPECT_EQ(plain.out, "results/Winter Voyage.epub.annotations_0001.txt\n");
    EXPECT_EQ(plain.err, "marvik-cli: " + notSaved + "The file written is" + again);
    EXPECT_EQ(FileBytes(ledger), known);
}

// Whether the process has the folder open: an export opens its results folder to lock it.
bool HoldsOpen(int pid, const fs::path& folder) {
    std::error_code error;
    const fs::path wanted = fs::canonical(folder, error);
    for (fs::directory_iterator fd("/proc/" + std::to_string(pid) + "/fd", error), end; !error && fd != end;
         fd.increment(error)) {
        std::error_code unreadable;
        if (fs::read_symlink(fd->path(), unreadable) == wanted)
            return true;
    }
    return false;
}

TEST_F(CliTest, NewOnlyExportsIntoOneFolderTakeTurns) {
    const fs::path large = m_work / "large.sqlite";
    {
        fixture::ReaderDatabase db(large);
        db.Exec("BEGIN");
        for (int book = 0; book < 300; ++book) {
            const std::string id = "file:///mnt/onboard/book-" + std::to_string(book) + ".epub";
            for (int mark = 0; mark < 3; ++mark)
                db.AddBookmark({.bookmarkId = id + std::to_string(mark),
                                .volumeId = id,
                                .contentId = id + "#(0)a.html",
                                .text = "Highlight " + std::to_string(mark)});
        }
        db.Exec("COMMIT");
    }
    // Another export holds the folder: this one waits, and goes on once the other lets go. The other lets go as soon
    // as this one waits (it has the folder open to lock it), whatever the machine's load: no race decides the outcome.
    fs::create_directory(m_work / "results");
    const int other = open((m_work / "results").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    const TempFolder capture;
    const StartedChild waiting =
        StartChild(MARVIK_CLI_EXECUTABLE, {"export", "--db", large.string(), "--new-only", "--all"}, m_work.Path(),
                   capture.Path());
    while (!HoldsOpen(waiting.pid, m_work / "results")) {
        int status = 0;
        ASSERT_EQ(waitpid(waiting.pid, &status, WNOHANG), 0) << "the export ended without waiting for the folder";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    close(other);
    const ChildResult first = WaitForChild(waiting);
    const auto counted = [](const ChildResult& run) { return std::count(run.out.begin(), run.out.end(), '\n'); };
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(counted(first), 300);
    EXPECT_EQ(first.err, "marvik-cli: 900 new highlights in 300 books\n");

    // The next one, after it, finds everything in the ledger.
    const ChildResult second = CliOn(large, {"export", "--new-only", "--all"});
    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "marvik-cli: no new highlights\n");
    EXPECT_EQ(fixture::FolderNames(m_work / "results").size(), 301u) << "each book's file once, and the ledger";

    const std::string busy = "Another export or sync into \"results\" is running: nothing was exported. "
                             "The ledger of exported highlights \"results/.marvik-ledger.json\" is left to it; "
                             "export again when it is done.\n";
    // While another holds the folder past the wait, nothing new is written; everything asked for is, unrecorded.
    const int held = open((m_work / "results").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    ChildResult plain;
    std::thread everything([&] { plain = CliOn(m_database, {"export", kVoyage}); });
    const ChildResult waited = CliOn(m_database, {"export", "--new-only", "--all"});
    everything.join();
    close(held);
    EXPECT_EQ(waited.exitStatus, 1);
    EXPECT_EQ(waited.err, busy);
    EXPECT_EQ(waited.out, "");
    EXPECT_EQ(plain.exitStatus, 0);
    EXPECT_EQ(plain.out, "results/Winter Voyage.epub.annotations_0000.txt\n");
    EXPECT_EQ(plain.err, "marvik-cli: What this export writes into \"results\" is not recorded in its ledger of "
                         "exported highlights: another export there holds it.\n");
    EXPECT_EQ(fixture::FolderNames(m_work / "results").size(), 302u);
}

TEST_F(CliTest, ExportRemovesOnlyStaleTemporaryFiles) {
    // Left by writes killed on their way: an old unlocked one goes; a young one, a locked one, other names stay.
    const fs::path results = m_work / "results";
    fs::create_directories(results);
    const std::vector<std::string> names = {".marvik-1.tmp", ".marvik-2.tmp", ".marvik-3.tmp", ".marvik-x.tmp"};
    for (const std::string& name : names) {
        WriteFile(results / name, "");
        if (name != names[1])
            fs::last_write_time(results / name, fs::file_time_type::clock::now() - std::chrono::minutes(2));
    }
    std::FILE* locked = std::fopen((results / names[2]).c_str(), "r");
    ASSERT_EQ(flock(fileno(locked), LOCK_EX), 0);
    EXPECT_EQ(CliOn(m_database, {"export", kVoyage}).exitStatus, 0);
    std::fclose(locked);
    EXPECT_FALSE(fs::exists(results / names[0]));
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_TRUE(fs::exists(results / names[i])) << names[i];
}

} // namespace

namespace {

TEST(CliFormatTest, EveryFormatWritesOneFileABookNamedByTitle) {
    TempFolder work;
    {
        fixture::ReaderDatabase reader(work / "rich.sqlite");
        fixture::AddWholeRecordLibrary(reader);
    }
    for (const std::string format : {"markdown", "json", "csv"}) {
        const ChildResult run =
            RunChild(MARVIK_CLI_EXECUTABLE,
                     {"export", "--db", (work / "rich.sqlite").string(), "--format", format, "--all"}, work.Path());
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        const std::string extension = format == "markdown" ? ".md" : "." + format;
        EXPECT_EQ(run.out, "results/untitled.epub.annotations_0000" + extension +
                               "\nresults/A Store Book - Bo Lind_0000" + extension +
                               "\nresults/Notes_ _On_ Things - Ann Writer_0000" + extension + "\n");
    }
}

TEST(CliCurrentFirmwareTest, OptionsTurnTheNewReadingOff) {
    TempFolder work;
    {
        fixture::ReaderDatabase reader(work / "current.sqlite");
        fixture::AddCurrentFirmwareLibrary(reader);
    }
    const auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--db", (work / "current.sqlite").string()});
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, work.Path()).out;
    };
    using namespace fixture::current;
    EXPECT_EQ(run({"list"}).find(kGone), std::string::npos);
    EXPECT_NE(run({"list", "--include-deleted"}).find(kGone), std::string::npos);
    EXPECT_EQ(run({"repair", kGone}), "");
    EXPECT_NE(run({"repair", "--include-deleted", kGone}), "");
    const std::string text = run({"export", "--stdout", "--file-titles", "--include-deleted", kKepub});
    EXPECT_NE(text.find(">>>SECTION: epub/text/chapter-1.xhtml\r\nAll warfare"), std::string::npos);
    EXPECT_NE(text.find("A deleted highlight."), std::string::npos);
}

} // namespace
