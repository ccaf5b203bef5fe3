// The archive: what two states of a reader leave in it, that adding again changes no byte, the gone rule, and what
// happens to an archive that is damaged, newer, or meets a full disk.
#include "ArchiveAdd.h"
#include "ArchiveFile.h"
#include "ArchiveInputs.h"
#include "ArchiveLock.h"
#include "ArchiveSchema.h"
#include "ArchiveStatus.h"
#include "ArchiveTime.h"
#include "DyingWriter.h"
#include "EArchiveError.h"
#include "FileContents.h"
#include "FileSizeLimit.h"
#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "TSQLiteCursor.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;
using fixture::FileBytes;

const std::string kBook = "file:///mnt/onboard/Sea/Winter Voyage.epub";
const std::string kPart = kBook + "#(1)ch1.html";

std::string Time(int day) {
    return ArchiveTimeText(std::chrono::system_clock::time_point(
        std::chrono::sys_days(std::chrono::year(2024) / std::chrono::November / day)));
}

void AddHighlight(fixture::ReaderDatabase& db, const std::string& id, const std::string& text,
                  fixture::OptionalText note = std::nullopt) {
    db.AddBookmark({.bookmarkId = id, .volumeId = kBook, .contentId = kPart, .text = text, .annotation = note});
}

// One highlight as the archive keeps it.
struct Kept {
    std::string columns;
    std::string firstSeen, lastSeen, goneSince, changed;
};

class ArchiveTest : public ::testing::Test {
protected:
    // The first state: three highlights, a note on h1, two sessions.
    fs::path First() {
        const fs::path file = m_work / "first.sqlite";
        if (fs::exists(file))
            return file;
        fixture::ReaderDatabase db(file);
        db.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
        db.AddPart({.contentId = kPart, .bookId = kBook, .title = "One"});
        AddHighlight(db, "h1", "Ice.", "cold");
        AddHighlight(db, "h2", "Snow.");
        AddHighlight(db, "h3", "Wind.");
        db.AddAnalyticsTables();
        db.AddSession({.id = "s1", .timestamp = "2024-11-01T10:00:00Z", .secondsRead = 60});
        db.AddSession({.id = "s2", .timestamp = "2024-11-02T10:00:00Z", .secondsRead = 90});
        return file;
    }

    // The reader a little later: h2 deleted (or only hidden), h1's note edited, h4 added, its sessions emptied by a
    // sync but for one new one.
    fs::path Second(bool hideInsteadOfDelete = false) {
        const fs::path file = m_work / "second.sqlite";
        fs::copy_file(First(), file);
        fixture::ReaderDatabase db(file, fixture::ReaderDatabase::Existing);
        db.Exec(hideInsteadOfDelete ? "UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'h2'"
                                    : "DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
        db.Exec("UPDATE Bookmark SET Annotation = 'colder' WHERE BookmarkID = 'h1'");
        AddHighlight(db, "h4", "Sea.");
        db.Exec("DELETE FROM AnalyticsEvents");
        db.AddSession({.id = "s3", .timestamp = "2024-11-05T10:00:00Z", .secondsRead = 30});
        return file;
    }

    ArchiveAddOutcome Add(const std::vector<std::pair<fs::path, std::string>>& states) {
        std::vector<ArchiveSourceInput> sources;
        for (const auto& [file, time] : states)
            sources.push_back({file, {{file, time}}});
        return AddToArchive(m_archive, sources, m_progress);
    }

    std::map<std::string, Kept> Highlights() {
        std::map<std::string, Kept> kept;
        TSQLiteDatabase db(m_archive.string());
        TSQLiteCursor rows(db, "SELECT BookmarkID, columns, firstSeen, lastSeen, goneSince, changed FROM highlights");
        while (rows.Step())
            kept[std::string(rows.FieldAsText(0))] = {
                std::string(rows.FieldAsText(1)), std::string(rows.FieldAsText(2)), std::string(rows.FieldAsText(3)),
                std::string(rows.FieldAsText(4)), std::string(rows.FieldAsText(5))};
        return kept;
    }

    TempFolder m_work;
    fs::path m_archive = m_work / "data" / "archive.sqlite";
    fixture::RecordingProgress m_progress;
};

TEST_F(ArchiveTest, TwoStatesKeepEveryHighlightTheLatestNoteAndTheDeletedOneGone) {
    const fs::path second = Second(), first = m_work / "first.sqlite";
    const ArchiveAddOutcome outcome = Add({{first, Time(1)}, {second, Time(5)}});
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(outcome.counts.newHighlights, 4u);
    EXPECT_EQ(outcome.counts.changedHighlights, 1u);
    EXPECT_EQ(outcome.counts.goneHighlights, 1u);

    const std::map<std::string, Kept> kept = Highlights();
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_NE(kept.at("h1").columns.find("\"Annotation\":\"colder\""), std::string::npos) << kept.at("h1").columns;
    EXPECT_EQ(kept.at("h1").changed, Time(5));
    EXPECT_EQ(kept.at("h1").firstSeen, Time(1));
    // Gone since the first state that lacked it; last seen in the one before.
    EXPECT_EQ(kept.at("h2").goneSince, Time(5));
    EXPECT_EQ(kept.at("h2").lastSeen, Time(1));
    EXPECT_EQ(kept.at("h4").goneSince, "");
    EXPECT_EQ(kept.at("h4").firstSeen, Time(5));

    const ArchiveStatus status = ReadArchiveStatus(m_archive, m_progress);
    EXPECT_EQ(status.books, 1u);
    EXPECT_EQ(status.highlights, 4u);
    EXPECT_EQ(status.gone, 1u);
    EXPECT_EQ(status.sessions, 3u); // s1 and s2 survive the sync that emptied them, each once
    EXPECT_EQ(status.sources.size(), 2u);

    // Either again, or a copy of one under another name: not a byte changes.
    const std::string bytes = FileBytes(m_archive);
    fs::copy_file(first, m_work / "copy.sqlite");
    const ArchiveAddOutcome again = Add({{second, Time(5)}, {first, Time(1)}, {m_work / "copy.sqlite", Time(9)}});
    EXPECT_EQ(again.databasesKnown, 3u);
    EXPECT_EQ(again.databasesAdded, 0u);
    EXPECT_EQ(FileBytes(m_archive), bytes);
}

TEST_F(ArchiveTest, GoneIsDecidedByTheNewestStateWhateverOrderTheStatesCome) {
    const fs::path second = Second(), first = m_work / "first.sqlite";
    Add({{second, Time(5)}});
    Add({{first, Time(1)}}); // an older backup found later
    const std::map<std::string, Kept> kept = Highlights();
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept.at("h2").goneSince, Time(5));
    EXPECT_EQ(kept.at("h2").lastSeen, Time(1));
    EXPECT_EQ(kept.at("h1").firstSeen, Time(1));
    // The older state's note does not replace the newer one.
    EXPECT_NE(kept.at("h1").columns.find("\"Annotation\":\"colder\""), std::string::npos);
    EXPECT_EQ(kept.at("h3").goneSince, "");

    // A state between the two that already lacked h2 moves its date back; h2 stays gone.
    const fs::path middle = m_work / "middle.sqlite";
    fs::copy_file(first, middle);
    fixture::ReaderDatabase(middle, fixture::ReaderDatabase::Existing)
        .Exec("DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
    Add({{middle, Time(3)}});
    EXPECT_EQ(Highlights().at("h2").goneSince, Time(3));
}

TEST_F(ArchiveTest, AHighlightTheReaderOnlyHidesIsGoneAndOneShownAgainIsBack) {
    const fs::path second = Second(true), first = m_work / "first.sqlite";
    Add({{first, Time(1)}, {second, Time(5)}});
    EXPECT_EQ(Highlights().at("h2").goneSince, Time(5));
    EXPECT_EQ(ReadArchiveStatus(m_archive, m_progress).gone, 1u);

    const fs::path third = m_work / "third.sqlite";
    fs::copy_file(first, third);
    fixture::ReaderDatabase(third, fixture::ReaderDatabase::Existing)
        .Exec("UPDATE Bookmark SET Text = 'Gale.' WHERE BookmarkID = 'h3'");
    const ArchiveAddOutcome back = Add({{third, Time(9)}});
    EXPECT_EQ(back.counts.backHighlights, 1u);
    EXPECT_EQ(Highlights().at("h2").goneSince, "");
    EXPECT_EQ(Highlights().at("h4").goneSince, Time(9));
}

TEST_F(ArchiveTest, ReadersAreToldApartByTheirAccount) {
    const fs::path first = First(), other = m_work / "other.sqlite";
    fixture::ReaderDatabase(first, fixture::ReaderDatabase::Existing).Exec("UPDATE Bookmark SET UserID = 'anna'");
    fs::copy_file(first, other);
    {
        fixture::ReaderDatabase db(other, fixture::ReaderDatabase::Existing);
        db.Exec("UPDATE Bookmark SET UserID = 'bo'");
        db.Exec("DELETE FROM Bookmark WHERE BookmarkID <> 'h1'");
    }
    Add({{first, Time(1)}, {other, Time(5)}});
    const ArchiveStatus status = ReadArchiveStatus(m_archive, m_progress);
    EXPECT_EQ(status.readers, 2u);
    EXPECT_EQ(status.highlights, 4u);
    EXPECT_EQ(status.gone, 0u); // another reader's newer database says nothing of anna's highlights
}

TEST_F(ArchiveTest, TheReadersDatabaseIsReadWithItsPendingWalAndLeftAsItIs) {
    const fs::path reader = m_work / "reader" / "KoboReader.sqlite";
    fs::create_directory(reader.parent_path());
    fs::copy_file(First(), reader);
    fixture::ReaderDatabase(reader, fixture::ReaderDatabase::Existing).Exec("PRAGMA journal_mode=WAL");
    fixture::LeaveCommittedWal(reader, "UPDATE Bookmark SET Text = 'Thaw.' WHERE BookmarkID = 'h3'");
    const std::string folder = fixture::FolderState(reader.parent_path());
    Add({{reader, Time(2)}});
    EXPECT_EQ(fixture::FolderState(reader.parent_path()), folder);
    EXPECT_NE(Highlights().at("h3").columns.find("\"Text\":\"Thaw.\""), std::string::npos);
}

TEST_F(ArchiveTest, AFolderOfBackupsIsAddedOldestFirst) {
    const fs::path backups = m_work / "backups";
    fs::create_directory(backups);
    const fs::path second = Second();
    fs::copy_file(second, backups / "KoboReader-2024-11-05-100000.sqlite");
    fs::copy_file(m_work / "first.sqlite", backups / "KoboReader-2024-11-01-100000.sqlite");
    fs::copy_file(m_work / "first.sqlite", backups / "notes.sqlite"); // no reader's database by its name
    const ArchiveSourceInput input = ArchiveInputOf(backups);
    ASSERT_EQ(input.databases.size(), 2u);
    EXPECT_EQ(input.databases[0].file.filename(), "KoboReader-2024-11-01-100000.sqlite");
    AddToArchive(m_archive, {input}, m_progress);
    EXPECT_EQ(Highlights().at("h2").goneSince, input.databases[1].stateTime);
    EXPECT_THROW(ArchiveInputOf(m_work / "missing"), std::runtime_error);
}

TEST_F(ArchiveTest, WhatCannotBeAddedLeavesTheArchiveAsItWas) {
    const fs::path first = First();
    Add({{first, Time(1)}});
    const std::string bytes = FileBytes(m_archive);

    std::ofstream(m_work / "notes.txt") << "not a database";
    const ArchiveAddOutcome text = Add({{m_work / "notes.txt", Time(2)}});
    ASSERT_EQ(text.failed.size(), 1u);
    EXPECT_NE(text.failed[0].second.find("not a reader database"), std::string::npos) << text.failed[0].second;
    EXPECT_EQ(FileBytes(m_archive), bytes);

    // A disk that fills up half-way through an add: the add fails whole.
    const fs::path many = m_work / "many.sqlite";
    {
        fixture::ReaderDatabase db(many);
        db.Exec("BEGIN");
        for (int k = 0; k < 400; ++k)
            AddHighlight(db, "m" + std::to_string(k), std::string(500, 'x'));
        db.Exec("COMMIT");
    }
    const std::string message = fixture::RunWithFileSizeLimit(bytes.size() + 20000, [&] {
        const ArchiveAddOutcome full = Add({{many, Time(3)}});
        if (!full.failed.empty())
            throw std::runtime_error(full.failed[0].second);
    });
    EXPECT_NE(message.find("disk"), std::string::npos) << message;
    EXPECT_EQ(FileBytes(m_archive), bytes);
    EXPECT_EQ(ReadArchiveStatus(m_archive, m_progress).highlights, 3u);
}

TEST_F(ArchiveTest, ANewerOrForeignArchiveIsRefusedUntouchedAndADamagedOneSetAside) {
    Add({{First(), Time(1)}});
    {
        TSQLiteDatabase db(m_archive.string());
        db.ExecSQL("PRAGMA user_version = 99");
    }
    std::string bytes = FileBytes(m_archive);
    try {
        Add({{Second(), Time(5)}});
        FAIL() << "a newer archive was used";
    } catch (const EArchiveError& error) {
        EXPECT_NE(std::string(error.what()).find("schema version 99"), std::string::npos) << error.what();
    }
    EXPECT_EQ(FileBytes(m_archive), bytes);

    // A reader's database named as the archive is never written to.
    EXPECT_THROW(AddToArchive(m_work / "first.sqlite", {}, m_progress), EArchiveError);

    {
        TSQLiteDatabase db(m_archive.string());
        db.ExecSQL("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion));
    }
    bytes = FileBytes(m_archive);
    ASSERT_GT(bytes.size(), 8192u);
    std::string damaged = bytes;
    for (std::size_t k = 4096; k < damaged.size(); k += 7)
        damaged[k] = '\x5a';
    std::ofstream(m_archive, std::ios::binary | std::ios::trunc) << damaged;
    try {
        Add({{m_work / "second.sqlite", Time(5)}});
        FAIL() << "a damaged archive was used";
    } catch (const EArchiveError& error) {
        EXPECT_NE(std::string(error.what()).find("is damaged"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("set aside"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(fs::exists(m_archive));
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(m_archive.parent_path()))
        if (entry.path().filename().string().starts_with("archive-damaged-"))
            aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(FileBytes(aside[0]), damaged);
    // The next add starts anew.
    EXPECT_EQ(Add({{m_work / "second.sqlite", Time(5)}}).counts.newHighlights, 3u);
}

TEST_F(ArchiveTest, TwoAddsAtOnceTakeTurns) {
    const fs::path first = First();
    fs::create_directories(m_archive.parent_path());
    std::optional<ArchiveLock> other(std::in_place, m_archive.parent_path(), m_progress);
    fixture::RecordingProgress waiting;
    auto add = std::async(std::launch::async, [&] {
        return AddToArchive(m_archive, {{first, {{first, Time(1)}}}}, waiting);
    });
    EXPECT_EQ(add.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    other.reset();
    EXPECT_EQ(add.get().counts.newHighlights, 3u);
    EXPECT_EQ(waiting.events.front(), "warn:waiting for another add to the archive to finish");
}

// The first database of an archive is written under a rollback journal: the archive is in WAL mode again after it,
// and a reader that holds the empty archive open meanwhile neither fails the add nor sees half of it.
TEST_F(ArchiveTest, TheFirstDatabaseLeavesTheArchiveInWalModeWhoeverReadsIt) {
    const auto journalMode = [this] {
        TSQLiteDatabase db(m_archive.string());
        TSQLiteCursor mode(db, "PRAGMA journal_mode");
        mode.Step();
        return std::string(mode.FieldAsText(0));
    };
    Add({{First(), Time(1)}});
    EXPECT_EQ(journalMode(), "wal");

    fs::remove(m_archive);
    OpenArchive(m_archive, true, m_progress);
    {
        TSQLiteDatabase reader(m_archive.string());
        reader.ExecSQL("BEGIN");
        TSQLiteCursor before(reader, "SELECT count(*) FROM highlights");
        ASSERT_TRUE(before.Step());
        EXPECT_EQ(before.FieldAsText(0), "0");
        const ArchiveAddOutcome outcome = Add({{First(), Time(1)}});
        EXPECT_TRUE(outcome.failed.empty());
        EXPECT_EQ(outcome.counts.newHighlights, 3u);
        TSQLiteCursor during(reader, "SELECT count(*) FROM highlights");
        ASSERT_TRUE(during.Step());
        EXPECT_EQ(during.FieldAsText(0), "0"); // its own state, whole
    }
    EXPECT_EQ(journalMode(), "wal");
    EXPECT_EQ(Highlights().size(), 3u);
}

} // namespace
