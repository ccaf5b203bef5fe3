// marvik-cli end to end: the built executable run on real reader databases.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "ReaderVolume.h"
#include "SampleBooks.h"
#include "SystemVolumes.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

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
    fs::path m_database = m_work / "reader.sqlite";
};

TEST_F(CliTest, ListPrintsVolumesInListOrderWithTitleAndAuthor) {
    const ChildResult run = CliOn(m_database, {"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out,
              kVoyage + "\tA Winter Voyage\tSome Author\n" + kTrain + "\tNight Train\tBo Lind\n" + kNotes + "\t\t\n");
    EXPECT_EQ(run.err, "");
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
    const ChildResult run = CliOn(m_database, {"export", kVoyage, kTrain});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "something went wrong!\n");
    EXPECT_EQ(run.out, "results/Night Train.kepub.epub.annotations_0000.txt\n");
}

TEST_F(CliTest, RepairPrintsStatements) {
    const ChildResult run = CliOn(m_database, {"repair", kTrain});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out,
              "UPDATE Bookmark SET ContentID=\"" + kTrainPart + "\" WHERE ContentID=\"" + kTrainPart + "#frag\";\n");
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
        EXPECT_NE(run.err.find("gone.sqlite"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(missing)) << arguments.front();
    }
    // A folder is no database file either.
    EXPECT_EQ(CliOn(m_work.Path(), {"list"}).exitStatus, 1);
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

TEST_F(CliTest, DefaultDatabaseIsTheCopyInTheCurrentFolder) {
    if (!FindReaderVolume(SystemVolumes()).empty())
        GTEST_SKIP() << "a reader is mounted; it would be chosen first";
    const ChildResult none = Cli({"list"});
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_NE(none.err.find("KoboReader.sqlite"), std::string::npos) << none.err;
    EXPECT_FALSE(fs::exists(m_work / "KoboReader.sqlite"));

    fs::rename(m_database, m_work / "KoboReader.sqlite");
    const ChildResult run = Cli({"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind(kVoyage + "\t", 0), 0u);
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
}

} // namespace

namespace {

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
    const std::string old = run({"export", "--file-titles", "--include-deleted", kKepub});
    const std::string text = FileBytes(work / old.substr(0, old.size() - 1));
    EXPECT_NE(text.find(">>>SECTION: epub/text/chapter-1.xhtml\r\n"), std::string::npos);
    EXPECT_NE(text.find("A deleted highlight."), std::string::npos);
}

} // namespace
