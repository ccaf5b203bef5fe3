// A reading of the archive kept between runs: read again while the archive is as it was, made again after an add,
// never used when it is of another state or damaged, and left to a run that still reads it while another makes a
// newer one.
#include "ArchiveAdd.h"
#include "ArchiveReading.h"
#include "ArchiveSource.h"
#include "ArchiveTime.h"
#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "TSQLiteDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";
const std::string kPart = kBook + "#(1)one.html";

std::string Time(int day) {
    return ArchiveTimeText(std::chrono::system_clock::time_point(
        std::chrono::sys_days(std::chrono::year(2024) / std::chrono::November / day)));
}

class KeptReadingTest : public ::testing::Test {
protected:
    // A reader state holding the highlights of the given ids, added to the archive.
    void AddState(const std::string& name, const std::vector<std::string>& ids, int day) {
        const fs::path file = m_work / name;
        {
            fixture::ReaderDatabase db(file);
            db.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
            db.AddPart({.contentId = kPart, .bookId = kBook, .title = "One", .volumeIndex = 1});
            for (std::size_t k = 0; k < ids.size(); ++k)
                db.AddBookmark({.bookmarkId = ids[k],
                                .volumeId = kBook,
                                .contentId = kPart,
                                .startContainerPath = "span#kobo." + std::to_string(k + 1) + ".1",
                                .text = "Text of " + ids[k]});
        }
        Add(name, day);
    }

    void Add(const std::string& name, int day) {
        const fs::path file = m_work / name;
        const ArchiveAddOutcome outcome = AddToArchive(m_archive, {{file, {{file, Time(day)}}}}, m_progress);
        ASSERT_TRUE(outcome.failed.empty()) << outcome.failed.front().second;
    }

    std::unique_ptr<ArchiveReading> Reading(bool liveOnly = false) {
        return std::make_unique<ArchiveReading>(m_archive, liveOnly, m_progress, m_kept);
    }

    // The ids of the book's bookmarks as the reading gives them, the gone ones marked.
    std::vector<std::string> Ids(std::shared_ptr<const ArchiveReading> reading) {
        const ArchiveSource source(std::move(reading), m_progress, m_order);
        const std::optional<AnnotatedVolume> volume = source.ReadVolume(kBook, {}, m_progress);
        std::vector<std::string> ids;
        if (!volume)
            return ids;
        for (const AnnotatedBookmark& bookmark : volume->bookmarks)
            ids.push_back(std::string(bookmark.bookmarkId) + (bookmark.gone ? " gone" : ""));
        return ids;
    }

    // The files in the kept folder.
    std::vector<std::string> Kept() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_kept))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder m_work;
    fs::path m_archive = m_work / "data" / "archive.sqlite";
    fs::path m_kept = m_work / "cache" / "archive-readings";
    fixture::RecordingProgress m_progress;
    const TextOrder m_order{"en_US"};
};

TEST_F(KeptReadingTest, ReadAgainUntilAnAddChangesTheArchiveThenMadeAgain) {
    AddState("day1.sqlite", {"h1", "h2"}, 1);
    fs::path first;
    {
        const auto reading = Reading();
        first = reading->Path();
        EXPECT_EQ(first.parent_path(), m_kept);
    }
    ASSERT_EQ(Kept(), std::vector<std::string>{first.filename().string()});
    EXPECT_EQ(fs::status(m_kept).permissions() & fs::perms::all, fs::perms::owner_all);
    std::shared_ptr<const ArchiveReading> again = Reading();
    EXPECT_EQ(again->Path(), first);
    EXPECT_EQ(Ids(again), (std::vector<std::string>{"h1", "h2"}));

    // Adding a database the archive knows writes nothing: the reading still stands.
    Add("day1.sqlite", 1);
    EXPECT_EQ(Reading()->Path(), first);

    // An add of a new state: a new reading, the one still read left where it is until nobody holds it.
    AddState("day5.sqlite", {"h1", "h3"}, 5);
    std::shared_ptr<const ArchiveReading> fresh = Reading();
    EXPECT_NE(fresh->Path(), first);
    EXPECT_EQ(Ids(fresh), (std::vector<std::string>{"h1", "h2 gone", "h3"}));
    EXPECT_EQ(Ids(again), (std::vector<std::string>{"h1", "h2"}));
    EXPECT_EQ(Kept().size(), 2u);
    again.reset();
    fresh.reset();
    // The live-only reading is another file; making it removes none of the other kind.
    EXPECT_EQ(Ids(Reading(true)), (std::vector<std::string>{"h1", "h3"}));
    EXPECT_EQ(Kept().size(), 3u);
    // The next making of the full reading takes the stale one away.
    AddState("day6.sqlite", {"h1", "h3", "h4"}, 6);
    const auto newest = Reading();
    EXPECT_EQ(Kept().size(), 2u);
}

TEST_F(KeptReadingTest, AStaleOrDamagedReadingIsMadeAgainNeverUsed) {
    AddState("day1.sqlite", {"h1", "h2"}, 1);
    const auto damageAndReadAgain = [&](const std::string& how, const std::function<void(const fs::path&)>& damage) {
        fs::path before;
        {
            const auto reading = Reading();
            before = reading->Path();
        }
        damage(before);
        std::shared_ptr<const ArchiveReading> after = Reading();
        EXPECT_NE(after->Path(), before) << how;
        EXPECT_EQ(Ids(after), (std::vector<std::string>{"h1", "h2"})) << how;
        EXPECT_FALSE(fs::exists(before)) << how << ": removed once the new one is kept";
    };
    damageAndReadAgain("cut short", [](const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); });
    damageAndReadAgain("grown",
                       [](const fs::path& file) { std::ofstream(file, std::ios::app) << std::string(512, 'x'); });
    damageAndReadAgain("no database", [](const fs::path& file) {
        std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).write("garbage!", 8);
    });
    damageAndReadAgain("of another state", [](const fs::path& file) {
        TSQLiteDatabase(file.string()).ExecSQL("UPDATE marvikReadingKey SET generation = generation - 1");
    });
    damageAndReadAgain("of another archive", [](const fs::path& file) {
        TSQLiteDatabase(file.string()).ExecSQL("UPDATE marvikReadingKey SET archive = '/elsewhere/archive.sqlite'");
    });
    damageAndReadAgain("without its key", [](const fs::path& file) {
        TSQLiteDatabase(file.string()).ExecSQL("DROP TABLE marvikReadingKey");
    });
    // A making that died is cleared away by the next one kept.
    std::ofstream(m_kept / ".making-0123456789abcdef-all-Ab12Cd.sqlite") << "half";
    AddState("day5.sqlite", {"h1"}, 5);
    const auto reading = Reading();
    EXPECT_EQ(Kept(), std::vector<std::string>{reading->Path().filename().string()});
}

TEST_F(KeptReadingTest, RunsAtOnceEachReadAWholeReading) {
    AddState("day1.sqlite", {"h1", "h2"}, 1);
    std::vector<std::vector<std::string>> read(4);
    std::vector<std::thread> runs;
    for (std::size_t k = 0; k < read.size(); ++k)
        runs.emplace_back([&, k] {
            fixture::RecordingProgress progress;
            const TextOrder order("en_US");
            const ArchiveSource source(std::make_shared<ArchiveReading>(m_archive, false, progress, m_kept), progress,
                                       order);
            const std::optional<AnnotatedVolume> volume = source.ReadVolume(kBook, {}, progress);
            if (volume)
                for (const AnnotatedBookmark& bookmark : volume->bookmarks)
                    read[k].emplace_back(bookmark.bookmarkId);
        });
    for (std::thread& run : runs)
        run.join();
    for (const std::vector<std::string>& ids : read)
        EXPECT_EQ(ids, (std::vector<std::string>{"h1", "h2"}));
    for (const std::string& name : Kept())
        EXPECT_FALSE(name.starts_with(".")) << name << " left behind";
}

TEST_F(KeptReadingTest, AnArchiveOfTheFirstVersionIsUpgradedThenRead) {
    AddState("day1.sqlite", {"h1"}, 1);
    {
        TSQLiteDatabase db(m_archive.string());
        db.ExecSQL("DROP TABLE generation");
        db.ExecSQL("PRAGMA user_version = 1");
    }
    EXPECT_EQ(Ids(Reading()), std::vector<std::string>{"h1"});
    EXPECT_TRUE(fs::exists(m_work / "data" / "archive-schema1.sqlite"));
    AddState("day5.sqlite", {"h1", "h2"}, 5);
    EXPECT_EQ(Ids(Reading()), (std::vector<std::string>{"h1", "h2"}));
}

} // namespace
