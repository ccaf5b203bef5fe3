// Exporting a volume's highlights and notes from real reader databases.
#include "AnnotationExport.h"
#include "ContentIdRepair.h"
#include "EFileError.h"
#include "FileContents.h"
#include "MakeNumberedFileName.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <cstdio>
#include <fstream>

namespace {

const std::string kWinter = "/mnt/onboard/A Winter Voyage.epub";

class AnnotationExportTest : public ReaderFolderTest {
protected:
    void AddMark(const std::string& id, const std::string& volume, const std::string& part,
                 const std::string& path = "span#kobo.1.1", std::int64_t childIndex = 1) {
        reader.AddBookmark({.bookmarkId = id,
                            .volumeId = volume,
                            .contentId = part,
                            .startContainerPath = path,
                            .startContainerChildIndex = childIndex,
                            .text = "text " + id});
    }
    void AddPart(const std::string& id, const std::string& title, fixture::OptionalText author = {},
                 std::optional<std::int64_t> place = {}) {
        reader.AddPart({.contentId = id, .title = title, .attribution = author, .volumeIndex = place});
    }
    ExportResult ExportTo(const std::string& volume, const std::filesystem::path& target, ExportOptions options) {
        Load(options.reading);
        return library.ExtractAnnotations(volume, target, options, progress);
    }
    // The written file's bytes, with the byte-order mark off and no replacing.
    std::string Export(const std::string& volume, const std::string& separator = "\t") {
        const ExportResult result =
            ExportTo(volume, AnnotationTargetPath(results, volume), {.separator = separator, .setBom = false});
        EXPECT_EQ(result.outcome, ExportOutcome::Written);
        return fixture::FileBytes(result.file);
    }
};

TEST_F(AnnotationExportTest, WritesTheBookInReadingOrderWithSectionLines) {
    fixture::AddWinterVoyage(reader, kWinter);
    EXPECT_EQ(Export(kWinter), fixture::kWinterVoyageFile);
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"status:extracting annotations", "start:3", "reset", "status:"}));
    EXPECT_EQ(progress.steps, 3u);
    // An empty separator, and one of several UTF-8 characters.
    EXPECT_NE(Export(kWinter, "").find("\r\nIt was cold that morning.good opening\r\n"), std::string::npos);
    EXPECT_NE(Export(kWinter, " \xE2\x94\x82 ").find("\r\nIt was cold that morning. \xE2\x94\x82 good opening\r\n"),
              std::string::npos);
}

TEST_F(AnnotationExportTest, SectionLinesFollowEveryChangeOfPart) {
    const std::string volume = "/mnt/onboard/Parts.epub";
    AddPart("known.html", "Known", "Guest Writer");
    AddMark("m1", volume, "known.html", "span#kobo.1.1", 0);
    AddMark("m2", volume, "x.html", "span#kobo.2.1");
    AddMark("m3", volume, "X.html", "span#kobo.3.1");
    AddMark("m4", volume, "x.html", "span#kobo.4.1");
    AddMark("m5", volume, "x.html", "no digits");
    AddMark("m6", volume, "", "span#kobo.5.1");
    // An empty ContentID first needs no section; the "Error_" bookmark sorts away from its part, whose section so
    // comes again; parts that differ only in case sort together but are told apart byte for byte; a bookmark at
    // child index 0 is exported too.
    EXPECT_EQ(Export(volume), ">>>Title: \r\n>>>Author: \r\n"
                              "text m6\t\r\n"
                              ">>>SECTION:x.html\r\ntext m5\t\r\n"
                              ">>>SECTION: Known\r\n>>>AUTHOR: Guest Writer\r\ntext m1\t\r\n"
                              ">>>SECTION:x.html\r\ntext m2\t\r\n"
                              ">>>SECTION:X.html\r\ntext m3\t\r\n"
                              ">>>SECTION:x.html\r\ntext m4\t\r\n");
    EXPECT_EQ(Export("/mnt/onboard/none.epub"), ">>>Title: \r\n>>>Author: \r\n");
}

TEST_F(AnnotationExportTest, IdsSelectExactlyTheirOwnRows) {
    // Ids that would break or widen a query with pasted values; "VolumeID" would compare the column with itself.
    const std::vector<std::string> ids = {"a\"b.epub",         "VolumeID",
                                          "100%_x.epub",       "a=b",
                                          "tab\there\nnew",    "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0",
                                          "\xE6\x9C\xAC.epub", "\xFF\xFE.epub"};
    AddMark("decoy", "100%_x.EPUB", "decoy");
    for (const std::string& id : ids) {
        AddMark(id, id, id + "#part");
        AddPart(id + "#part", "part of " + id);
    }
    for (const std::string& id : ids)
        EXPECT_EQ(Export(id), ">>>Title: \r\n>>>Author: \r\n>>>SECTION: part of " + id + "\r\ntext " + id + "\t\r\n")
            << id;
}

TEST_F(AnnotationExportTest, NamesNumberedFilesOrReplacesTheTarget) {
    fixture::AddWinterVoyage(reader, kWinter);
    const std::filesystem::path target = AnnotationTargetPath(results, kWinter);
    const auto numbered = [&](const char* number) {
        return results / ("A Winter Voyage.epub.annotations_" + std::string(number) + ".txt");
    };
    EXPECT_EQ(ExportTo(kWinter, target, {}).file, numbered("0000"));
    EXPECT_EQ(ExportTo(kWinter, target, {}).file, numbered("0001"));
    std::filesystem::remove(numbered("0000"));
    EXPECT_EQ(ExportTo(kWinter, target, {}).file, numbered("0000"));
    // A folder of a candidate's name does not count as a file: the name is chosen, and the writing then fails.
    std::filesystem::create_directory(numbered("0002"));
    EXPECT_THROW(ExportTo(kWinter, target, {}), EFileError);

    std::ofstream(target) << "an earlier export";
    EXPECT_EQ(ExportTo(kWinter, target, {.overrideExisting = true}).file, target);
    EXPECT_EQ(fixture::FileBytes(target).substr(0, 28), "\xEF\xBB\xBF>>>Title: A Winter Voyage");
}

TEST_F(AnnotationExportTest, ReportsWhatCouldNotBeDone) {
    fixture::AddWinterVoyage(reader, kWinter);
    reader.Close();
    const std::filesystem::path target = AnnotationTargetPath(results, kWinter);

    // The database gone since it was loaded: nothing is touched, and no database file appears.
    Load();
    std::filesystem::rename(reader.Path(), folder / "moved.sqlite");
    EXPECT_EQ(library.ExtractAnnotations(kWinter, target, {}, progress).outcome, ExportOutcome::NoDatabase);
    EXPECT_TRUE(progress.events.empty());
    EXPECT_FALSE(std::filesystem::exists(reader.Path()));
    std::filesystem::rename(folder / "moved.sqlite", reader.Path());

    // Every numbered name taken.
    for (int n = 0; n <= 9999; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "A Winter Voyage.epub.annotations_%04d.txt", n);
        std::ofstream(results / name).put('x');
    }
    EXPECT_EQ(MakeNumberedFileName(target, ".txt"), std::filesystem::path());
    EXPECT_EQ(ExportTo(kWinter, target, {}).outcome, ExportOutcome::Failed);
    EXPECT_EQ(fixture::FolderNames(results).size(), 10000u);
}

} // namespace
