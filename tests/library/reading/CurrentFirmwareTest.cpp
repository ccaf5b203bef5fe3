// Databases of current firmware: highlights deleted on the reader, chapter titles of kepub books, and exporting
// every book at once. With both options off, everything reads as on older firmware.
#include "AnnotationExport.h"
#include "ContentIdRepair.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "ReaderFolderTest.h"
#include "RecordingProgress.h"
#include "SampleBooks.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace fixture::current;

const ExportOptions kNew{.setBom = false};
const ExportOptions kOld{.setBom = false, .reading = {.skipDeletedHighlights = false, .chapterTitlesFromToc = false}};

class CurrentFirmwareTest : public ReaderFolderTest {
protected:
    void SetUp() override {
        fixture::AddCurrentFirmwareLibrary(reader);
        reader.Close();
    }
    std::string Export(const std::string& volume, const ExportOptions& options) {
        Load(options.reading);
        const ExportResult result =
            library.ExtractAnnotations(volume, AnnotationTargetPath(results, volume), options, progress);
        return fixture::FileBytes(result.file);
    }
};

TEST_F(CurrentFirmwareTest, DeletedHighlightsCountAsAbsentUnlessAskedFor) {
    Load(kNew.reading);
    EXPECT_FALSE(Index().Volumes.Contains(kGone));
    EXPECT_EQ(Index().Volumes.Count(), 3u);
    EXPECT_EQ(library.RepairContentIds(kGone, progress, kNew.reading), std::vector<std::string>{});

    Load(kOld.reading);
    EXPECT_TRUE(Index().Volumes.Contains(kGone));
    EXPECT_EQ(library.RepairContentIds(kGone, progress, kOld.reading).size(), 1u);
}

TEST_F(CurrentFirmwareTest, KepubSectionsShowTheirChapterTitles) {
    EXPECT_EQ(Export(kKepub, kNew), ">>>Title: The Art of War\r\n>>>Author: Sun Tzu\r\n>>>SECTION: I: Laying Plans\r\n"
                                    "All warfare is based on deception.\t\r\n"
                                    ">>>SECTION: epub/text/chapter-2.xhtml\r\nChapter two.\t\r\n");
    EXPECT_EQ(Export(kKepub, kOld), ">>>Title: The Art of War\r\n>>>Author: Sun Tzu\r\n"
                                    ">>>SECTION: epub/text/chapter-1.xhtml\r\nAll warfare is based on deception.\t\r\n"
                                    "A deleted highlight.\t\r\n"
                                    ">>>SECTION: epub/text/chapter-2.xhtml\r\nChapter two.\t\r\n");
    EXPECT_NE(Export(kStore, kNew).find(">>>SECTION: Chapter 1: The Beginning\r\n"), std::string::npos);
    EXPECT_NE(Export(kPlain, kNew).find(">>>SECTION: Chapter One\r\nPlain.\t\r\n"), std::string::npos);
}

TEST_F(CurrentFirmwareTest, OlderShapesOfTheHiddenColumn) {
    reader.Exec("UPDATE Bookmark SET Hidden = 1 WHERE BookmarkID = 'k2'");
    reader.Close();
    EXPECT_EQ(Export(kKepub, kNew).find("deleted"), std::string::npos) << "1 marks a deleted highlight too";

    reader.Exec("ALTER TABLE Bookmark DROP COLUMN Hidden");
    reader.Close();
    EXPECT_NE(Export(kKepub, kNew).find("A deleted highlight."), std::string::npos);
    EXPECT_TRUE(Index().Volumes.Contains(kGone)) << "without the column every bookmark counts";
    EXPECT_EQ(library.RepairContentIds(kGone, progress, kNew.reading).size(), 1u);
}

TEST_F(CurrentFirmwareTest, OnlyTheColumnsOfOlderFirmwareAreNeeded) {
    const std::string before = Export(kPlain, kOld);
    const std::set<std::string> needed = {"BookmarkID",
                                          "VolumeID",
                                          "ContentID",
                                          "StartContainerPath",
                                          "StartContainerChildIndex",
                                          "StartOffset",
                                          "Text",
                                          "Annotation",
                                          "BookID",
                                          "BookTitle",
                                          "Title",
                                          "Attribution"};
    for (const std::string table : {"Bookmark", "content"})
        for (int c = 0;; ++c) {
            const std::string column = reader.QueryText("SELECT name FROM pragma_table_info('" + table +
                                                        "') LIMIT 1 OFFSET " + std::to_string(c));
            if (column.empty())
                break;
            if (!needed.count(column)) {
                reader.Exec("ALTER TABLE " + table + " DROP COLUMN " + column);
                --c;
            }
        }
    reader.Close();
    // No place, no table of contents, nothing deleted: the plain book reads as it always did.
    EXPECT_EQ(Export(kPlain, kNew), before);
    EXPECT_NE(Export(kKepub, kNew).find(">>>SECTION: epub/text/chapter-1.xhtml\r\n"), std::string::npos);
    // Nor do the formats that show whole records need the columns of newer firmware.
    ExportOptions json = kNew;
    json.format = ExportFormat::Json;
    EXPECT_NE(Export(kPlain, json).find("\"text\": \"Plain.\""), std::string::npos);
}

TEST_F(CurrentFirmwareTest, ExportAllWritesEveryBookWithOneProgress) {
    // A table-of-contents row of another book names the kepub's second spine file, which has none of its own.
    reader.AddPart({.contentId = kStore + "#toc",
                    .bookId = kStore,
                    .title = "Not This Book",
                    .contentType = "899",
                    .chapterIdBookmarked = kKepub + "!!epub/text/chapter-2.xhtml"});
    Load();
    const std::vector<std::string> volumes = Index().Volumes.Entries();
    // A folder in place of one book's file: that book fails, the others are written.
    std::filesystem::create_directory(AnnotationTargetPath(results, kPlain));
    const ExportAllResult all = library.ExtractAllAnnotations(volumes, results, {.overrideExisting = true}, progress);
    ASSERT_EQ(all.failed.size(), 1u);
    EXPECT_EQ(all.failed[0].volumeId, kPlain);
    EXPECT_NE(all.failed[0].reason.find("Is a directory"), std::string::npos) << all.failed[0].reason;
    EXPECT_EQ(all.written, (std::vector<std::filesystem::path>{AnnotationTargetPath(results, kKepub),
                                                               AnnotationTargetPath(results, kStore)}));
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"status:extracting annotations", "start:4", "reset", "status:"}));
    EXPECT_EQ(progress.steps, 4u);
    EXPECT_EQ(fixture::FileBytes(AnnotationTargetPath(results, kKepub)), Export(kKepub, {}));
}

} // namespace
