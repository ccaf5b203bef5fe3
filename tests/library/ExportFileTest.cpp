// Naming and writing an export's file.
#include "EFileError.h"
#include "ExportFile.h"
#include "FileContents.h"
#include "MakeNumberedFileName.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

TEST(ExportFileTest, TargetsAreNamedAfterTheIdsLastSegment) {
    const std::filesystem::path results = "/home/u/marvik/results";
    EXPECT_EQ(AnnotationTargetPath(results, "x/y/Some Book.epub"), results / "Some Book.epub.annotations.txt");
    EXPECT_EQ(AnnotationTargetPath(results, "C:Book"), results / "C:Book.annotations.txt");
    EXPECT_EQ(AnnotationTargetPath(results, "/mnt/onboard/"), results / ".annotations.txt");

    // The extension is the text from the last "." after the last "/".
    TempFolder folder;
    std::filesystem::create_directory(folder / "v1.2");
    EXPECT_EQ(MakeNumberedFileName(folder / "v1.2" / "notes", ".txt"), folder / "v1.2" / "notes_0000.txt");
    EXPECT_EQ(MakeNumberedFileName(folder / "a.b.annotations.txt", ".txt"), folder / "a.b.annotations_0000.txt");
}

TEST(ExportFileTest, ReplacingWritesExactlyTheBytesAndLeavesNoOtherFile) {
    TempFolder folder;
    const std::filesystem::path file = folder / "\xE6\x9C\xAC.annotations.txt";
    std::ofstream(file) << "an older and much longer text than the new one";
    const std::string bytes = "first\r\n\r\n\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0\nwith a break\r\n";
    EXPECT_EQ(WriteExportFile(bytes, ".txt", file, true).file, file);
    EXPECT_EQ(fixture::FileBytes(file), bytes);
    EXPECT_EQ(WriteExportFile("", ".txt", file, true).file, file);
    EXPECT_EQ(fixture::FileBytes(file), "");
    EXPECT_EQ(fixture::FolderNames(folder.Path()), (std::set<std::string>{file.filename().string()}));
}

TEST(ExportFileTest, AFileThatCannotBeWrittenRaisesAndLeavesNothing) {
    TempFolder folder;
    const auto messageFor = [](const std::filesystem::path& file) {
        try {
            WriteExportFile("line\r\n", ".txt", file, true);
        } catch (const EFileError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    const std::filesystem::path missing = folder / "results" / "a.txt";
    EXPECT_EQ(messageFor(missing), "Cannot create file \"" + missing.string() + "\": No such file or directory");

    std::ofstream(folder / "plain") << "not a folder";
    EXPECT_EQ(messageFor(folder / "plain" / "a.txt"),
              "Cannot create file \"" + (folder / "plain" / "a.txt").string() + "\": Not a directory");

    // A folder under the file's name stays a folder.
    std::filesystem::create_directories(folder / "taken.txt" / "inside");
    EXPECT_EQ(messageFor(folder / "taken.txt"),
              "Cannot create file \"" + (folder / "taken.txt").string() + "\": Is a directory");
    EXPECT_EQ(fixture::FolderNames(folder.Path()), (std::set<std::string>{"plain", "taken.txt"}));

    if (::geteuid() != 0) { // the superuser writes anywhere
        std::filesystem::create_directory(folder / "locked");
        std::filesystem::permissions(folder / "locked",
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_EQ(messageFor(folder / "locked" / "a.txt"),
                  "Cannot create file \"" + (folder / "locked" / "a.txt").string() + "\": Permission denied");
        EXPECT_TRUE(fixture::FolderNames(folder / "locked").empty());
    }
}

} // namespace
