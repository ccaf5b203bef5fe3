#pragma once

#include "LibraryIndex.h"
#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

// A reader database in a fresh folder with an empty results folder beside it, and what an export reads and reports.
class ReaderFolderTest : public ::testing::Test {
protected:
    ReaderFolderTest() { std::filesystem::create_directory(results); }

    TempFolder folder;
    fixture::ReaderDatabase reader{folder / "KoboReader.sqlite"};
    std::filesystem::path results = folder / "results";
    TextOrder order{"C"};
    LibraryIndex index{order};
    fixture::RecordingProgress progress;
};
