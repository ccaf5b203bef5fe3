// marvik-cli list, export, sync and stats --from-archive: a reader's two states added to the archive, then every
// highlight ever seen written in reading order, the one the reader lost marked gone in each format; --live-only
// without it; and the usage errors.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "ScopedEnvironment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";
const std::string kPart = kBook + "#(1)one.html";

void Highlight(fixture::ReaderDatabase& db, const std::string& id, const std::string& place, const std::string& text,
               fixture::OptionalText note = {}) {
    db.AddBookmark({.bookmarkId = id,
                    .volumeId = kBook,
                    .contentId = kPart,
                    .startContainerPath = place,
                    .text = text,
                    .annotation = note});
}

class FromArchiveTest : public ::testing::Test {
protected:
    // A database, then a copy with one highlight deleted, one note edited and one added; both added to the archive.
    void SetUp() override {
        fs::create_directory(m_backups);
        const fs::path older = m_backups / "KoboReader-2024-11-01-100000.sqlite";
        {
            fixture::ReaderDatabase db(older);
            db.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
            db.AddPart({.contentId = kPart, .bookId = kBook, .title = "One", .volumeIndex = 1});
            Highlight(db, "h1", "span#kobo.3.1", "Ice.", "cold");
            Highlight(db, "h2", "span#kobo.1.1", "Snow.");
            Highlight(db, "h3", "span#kobo.4.1", "Wind.");
            db.AddAnalyticsTables();
            db.AddSession({.id = "s1",
                           .timestamp = "2024-11-01T09:00:00Z",
                           .title = "Winter Voyage",
                           .author = "Ann Berg",
                           .secondsRead = 60});
        }
        fs::copy_file(older, m_newer);
        {
            fixture::ReaderDatabase db(m_newer, fixture::ReaderDatabase::Existing);
            db.Exec("DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
            db.Exec("UPDATE Bookmark SET Annotation = 'colder' WHERE BookmarkID = 'h1'");
            Highlight(db, "h4", "span#kobo.2.1", "Sea.");
            db.Exec("DELETE FROM AnalyticsEvents");
            db.AddSession({.id = "s2",
                           .timestamp = "2024-11-05T09:00:00Z",
                           .title = "Winter Voyage",
                           .author = "Ann Berg",
                           .secondsRead = 30});
        }
        const ChildResult add = Cli({"archive", "add", "backups"});
        ASSERT_EQ(add.exitStatus, 0) << add.err;
    }

    ChildResult Cli(const std::vector<std::string>& arguments) {
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    // The one file an export wrote, its bytes.
    std::string Exported(const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {"export", "--from-archive", "--results", "out", "--override", kBook};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ChildResult run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return fixture::FileBytes(m_work / run.out.substr(0, run.out.find('\n')));
    }

    TempFolder m_work;
    fixture::ScopedEnvironment m_data{"XDG_DATA_HOME", m_work / "data"};
    fixture::ScopedEnvironment m_cache{"XDG_CACHE_HOME", m_work / "cache"};
    fs::path m_backups = m_work / "backups";
    fs::path m_newer = m_backups / "KoboReader-2024-11-05-100000.sqlite";
};

// Where each text stands in the bytes: in reading order, each once.
void ExpectInReadingOrder(const std::string& bytes, const std::vector<std::string>& texts) {
    std::size_t last = 0;
    for (const std::string& text : texts) {
        const std::size_t at = bytes.find(text);
        ASSERT_NE(at, std::string::npos) << text << " missing from\n" << bytes;
        EXPECT_GT(at, last) << text << " out of order in\n" << bytes;
        EXPECT_EQ(bytes.find(text, at + 1), std::string::npos) << text << " twice in\n" << bytes;
        last = at;
    }
}

TEST_F(FromArchiveTest, EveryFormatWritesAllFourInReadingOrderTheLostOneGone) {
    const std::vector<std::string> order = {"Snow.", "Sea.", "Ice.", "Wind."};

    const std::string json = Exported({"--format", "json"});
    fs::create_directory(m_work / "check");
    { std::ofstream(m_work / "check" / "export.json") << json; }
    const ChildResult valid =
        RunChild(MARVIK_PYTHON3,
                 {"-c",
                  "import json, sys, jsonschema\n"
                  "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))",
                  "check/export.json", MARVIK_ANNOTATION_SCHEMA},
                 m_work.Path());
    EXPECT_EQ(valid.exitStatus, 0) << valid.err;
    const nlohmann::json document = nlohmann::json::parse(json);
    std::vector<std::string> ids;
    for (const nlohmann::json& record : document["annotations"]) {
        ids.push_back(record["id"]);
        EXPECT_EQ(record.contains("gone"), record["id"] == "h2") << record;
        EXPECT_EQ(record.contains("lastSeen"), record["id"] == "h2") << record;
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"h2", "h4", "h1", "h3"}));
    EXPECT_EQ(document["annotations"][0]["gone"], true);
    const std::string lastSeen = document["annotations"][0]["lastSeen"];
    EXPECT_EQ(lastSeen.substr(0, 10), "2024-11-01") << lastSeen;
    EXPECT_EQ(document["annotations"][2]["note"], "colder");

    const std::string csv = Exported({"--format", "csv", "--no-bom"});
    ExpectInReadingOrder(csv, order);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "book_title,book_author,volume_id,chapter,bookmark_id,type,text,note,color,"
              "created,modified,position,deleted,image,isbn,identifier,gone,last_seen");
    const std::size_t snowRow = csv.find("Snow.");
    const std::string row = csv.substr(snowRow, csv.find("\r\n", snowRow) - snowRow);
    EXPECT_NE(row.find(",yes," + lastSeen), std::string::npos) << row;
    const std::size_t seaRow = csv.find("Sea.");
    EXPECT_EQ(csv.substr(csv.find("\r\n", seaRow) - 2, 2), ",,") << csv;

    const std::string markdown = Exported({"--format", "markdown"});
    ExpectInReadingOrder(markdown, order);
    ExpectInReadingOrder(markdown, {"Snow.", "gone from the reader, last seen " + lastSeen, "Sea."});
    EXPECT_EQ(markdown.find("gone from the reader", markdown.find("Sea.")), std::string::npos) << markdown;

    const std::string obsidian = Exported({"--template", "obsidian"});
    ExpectInReadingOrder(obsidian, {"gone from the reader", "Snow.", "Sea.", "Ice.", "Wind."});

    ExpectInReadingOrder(Exported({"--format", "text"}), order);

    const std::string live = Exported({"--format", "markdown", "--live-only"});
    ExpectInReadingOrder(live, {"Sea.", "Ice.", "Wind."});
    EXPECT_EQ(live.find("Snow."), std::string::npos) << live;
    EXPECT_EQ(live.find("gone from the reader"), std::string::npos) << live;

    // Read from the database, the CSV stays as it was: no columns of the archive.
    const ChildResult direct = Cli({"export", "--db", m_newer.string(), "--format", "csv", "--stdout", kBook});
    EXPECT_EQ(direct.out.find("gone"), std::string::npos) << direct.out;
}

TEST_F(FromArchiveTest, ListSyncAndStatsReadTheArchive) {
    const ChildResult list = Cli({"list", "--from-archive"});
    EXPECT_EQ(list.exitStatus, 0) << list.err;
    EXPECT_EQ(list.out, Cli({"list", "--db", m_newer.string()}).out);
    // Kept in the user's cache for the next runs, which read it as it is.
    const fs::path kept = m_work / "cache" / "marvik" / "archive-readings";
    ASSERT_EQ(std::distance(fs::directory_iterator(kept), fs::directory_iterator()), 1);
    const fs::path reading = fs::directory_iterator(kept)->path();
    const fs::file_time_type made = fs::last_write_time(reading);
    EXPECT_EQ(Cli({"list", "--from-archive"}).out, list.out);
    EXPECT_EQ(fs::last_write_time(reading), made);

    fs::create_directory(m_work / "notes");
    const ChildResult sync = Cli({"sync", "--from-archive", "--to", "notes"});
    ASSERT_EQ(sync.exitStatus, 0) << sync.err;
    const fs::path noteFile = m_work / sync.out.substr(0, sync.out.find('\n'));
    const std::string note = fixture::FileBytes(noteFile);
    ExpectInReadingOrder(note, {"Snow.", "gone from the reader", "Sea.", "Ice.", "Wind."});
    // Synced again: the note stays as it is, the lost highlight in it.
    const ChildResult again = Cli({"sync", "--from-archive", "--to", "notes"});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(fixture::FileBytes(noteFile), note);

    const ChildResult stats = Cli({"stats", "--from-archive", "--format", "json"});
    EXPECT_EQ(stats.exitStatus, 0) << stats.err;
    const ChildResult direct = Cli({"stats", "--db", m_newer.string(), "--backups", "backups", "--format", "json"});
    nlohmann::json fromArchive = nlohmann::json::parse(stats.out), fromBackups = nlohmann::json::parse(direct.out);
    EXPECT_EQ(fromArchive["books"], fromBackups["books"]);
    EXPECT_EQ(fromArchive["days"], fromBackups["days"]);
}

TEST_F(FromArchiveTest, UsageErrors) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"list", "--live-only"},
                                               {"list", "--archive", "a.sqlite"},
                                               {"list", "--from-archive", "--db", "KoboReader.sqlite"},
                                               {"stats", "--from-archive", "--no-backups"},
                                               {"repair", "--from-archive", kBook}}) {
        const ChildResult run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments.front() << " " << arguments[1] << "\n" << run.err;
    }
    const ChildResult missing = Cli({"list", "--from-archive", "--archive", "nowhere.sqlite"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "archive not found: nowhere.sqlite\n");
}

} // namespace
