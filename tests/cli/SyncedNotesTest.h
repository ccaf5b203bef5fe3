#pragma once

// The whole-record library in a reader database of the test's own, synced by marvik-cli into "notes" beside it.
#include "ChildProcess.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class SyncedNotesTest : public ::testing::Test {
protected:
    SyncedNotesTest() {
        fixture::ReaderDatabase reader(m_database);
        fixture::AddWholeRecordLibrary(reader);
    }

    ChildResult Sync(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), {"sync", "--db", m_database.string(), "--to", "notes"});
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    // A highlight of the rich book's first chapter, at place.
    static fixture::Bookmark RichHighlight(const std::string& id, const std::string& place, const std::string& text) {
        return {.bookmarkId = id,
                .volumeId = fixture::records::kRich,
                .contentId = fixture::records::kRich + "!!ch1.xhtml",
                .startContainerPath = place,
                .text = text};
    }

    TempFolder m_work;
    std::filesystem::path m_database = m_work / "reader.sqlite";
    std::filesystem::path m_notes = m_work / "notes";
    std::filesystem::path m_rich = m_notes / "Notes_ _On_ Things - Ann Writer.md";
    std::filesystem::path m_store = m_notes / "A Store Book - Bo Lind.md";
};
