#pragma once

#include "ReaderDatabase.h"
#include "ReaderLibrary.h"
#include "RecordingProgress.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

// A reader database in a fresh folder with an empty results folder beside it, and what an export reads and reports.
class ReaderFolderTest : public ::testing::Test {
protected:
    ReaderFolderTest() { std::filesystem::create_directory(results); }

    // Loads the database as the window does, the fixture's own connection closed first.
    void Load(const ReadingOptions& options = {}) {
        reader.Close();
        SilentProgress silent;
        library.LoadDatabase(reader.Path(), silent, options);
    }
    const LibraryIndex& Index() const { return library.Index(); }

    TempFolder folder;
    fixture::ReaderDatabase reader{folder / "KoboReader.sqlite"};
    std::filesystem::path results = folder / "results";
    TextOrder order{"C"};
    ReaderLibrary library{order};
    fixture::RecordingProgress progress;
};
