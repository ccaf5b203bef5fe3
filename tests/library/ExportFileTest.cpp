// Naming and writing an export's file.
#include "ExportFile.h"
#include "EFileError.h"
#include "ExportFormats.h"
#include "FileContents.h"
#include "FileSizeLimit.h"
#include "HeldExportFiles.h"
#include "MakeNumberedFileName.h"
#include "SafeFileName.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

// A book file name of 85 CJK characters, 255 bytes: as long as a Linux file name may be, before any suffix.
std::string LongCjkName() {
    std::string name;
    for (int i = 0; i < 85; ++i)
        name += "\xE6\x9C\xAC";
    return name;
}

TEST(ExportFileTest, TargetsAreNamedAfterTheIdsLastSegment) {
    const std::filesystem::path results = "/home/u/marvik/results";
    EXPECT_EQ(AnnotationTargetPath(results, "x/y/Some Book.epub"), results / "Some Book.epub.annotations.txt");
    EXPECT_EQ(AnnotationTargetPath(results, "/mnt/onboard/"), results / ".annotations.txt");

    // The extension is the text from the last "." after the last "/".
    TempFolder folder;
    std::filesystem::create_directory(folder / "v1.2");
    EXPECT_EQ(MakeNumberedFileName(folder / "v1.2" / "notes", ".txt"), folder / "v1.2" / "notes_0000.txt");
    EXPECT_EQ(MakeNumberedFileName(folder / "a.b.annotations.txt", ".txt"), folder / "a.b.annotations_0000.txt");
}

TEST(ExportFileTest, NamesFromTheDatabaseBecomeOneSafeFileName) {
    const std::filesystem::path results = "/home/u/marvik/results";
    // A NUL would end the name where the system reads it, as another file's name.
    const std::string nul("/etc/passwd\0", 12);
    EXPECT_EQ(AnnotationTargetPath(results, nul), results / "passwd_.annotations.txt");
    EXPECT_EQ(AnnotationTargetPath(results, "x/a\tb\x1B[31m\x7F.epub"), results / "a_b_[31m_.epub.annotations.txt");

    // Names that Windows, exFAT or note-taking programs refuse: their characters replaced, a device's name (with any
    // extension, in any case) and dots or spaces at the end changed; the names of the text file included.
    EXPECT_EQ(AnnotationTargetPath(results, "C:Book"), results / "C_Book.annotations.txt");
    EXPECT_EQ(AnnotationTargetPath(results, "x/a\\b*c\"d<e>f|g?.epub"),
              results / "a_b_c_d_e_f_g_.epub.annotations.txt");
    EXPECT_EQ(AnnotationTargetPath(results, "/mnt/onboard/con.epub"), results / "_con.epub.annotations.txt");
    struct Unsafe {
        std::string name, alone, withSuffix;
    };
    const Unsafe unsafe[] = {
        {"Building a Second Brain: A Proven Method?", "Building a Second Brain_ A Proven Method_",
         "Building a Second Brain_ A Proven Method_.md"},
        {"AUX", "_AUX", "_AUX.md"},
        {"nul.tar", "_nul.tar", "_nul.tar.md"},
        {"Com7 .x", "_Com7 .x", "_Com7 .x.md"},
        {"lpt\xC2\xB9", "_lpt\xC2\xB9", "_lpt\xC2\xB9.md"},
        {"COM10", "COM10", "COM10.md"},
        {"Console", "Console", "Console.md"},
        {"Ends in dots.. ", "Ends in dots___", "Ends in dots.. .md"},
    };
    for (const Unsafe& name : unsafe) {
        EXPECT_EQ(SafeFileName(name.name, ""), name.alone);
        EXPECT_EQ(SafeFileName(name.name, ".md"), name.withSuffix);
    }

    // Cut before a character so that the numbered name still fits in 200 bytes: 59 characters, 177 bytes, + the
    // suffix.
    const std::string cjk = LongCjkName();
    const std::filesystem::path text = AnnotationTargetPath(results, "/mnt/onboard/" + cjk + ".epub");
    EXPECT_EQ(text, results / (cjk.substr(0, 177) + ".annotations.txt"));
    for (const ExportFormatRow& format : ExportFormats()) {
        const std::string extension(format.extension);
        const std::filesystem::path byId = ExportTargetPath(results, cjk, "", "", format);
        const std::filesystem::path byTitle = ExportTargetPath(results, "x", cjk, "Ann\nWriter", format);
        for (const std::filesystem::path& name : {byId, byTitle}) {
            EXPECT_LE(name.filename().string().size() + 5, 200u) << name;
            EXPECT_TRUE(name.filename().string().ends_with(extension)) << name;
            EXPECT_EQ(name.string().find('\0'), std::string::npos) << name;
        }
        if (!format.namedByTitle)
            continue;
        EXPECT_EQ(byTitle.filename(), cjk.substr(0, (195 - extension.size()) / 3 * 3) + extension);
        EXPECT_EQ(ExportTargetPath(results, nul, "", "", format).filename(), "passwd_.annotations" + extension);
        EXPECT_EQ(ExportTargetPath(results, "x", "../Up/", "", format).filename(), ".._Up_" + extension);
        EXPECT_EQ(ExportTargetPath(results, "x", "Prn", "", format).filename(), "_Prn" + extension);
        EXPECT_EQ(ExportTargetPath(results, "x", "Prn", "Ann", format).filename(), "Prn - Ann" + extension);
    }
}

TEST(ExportFileTest, ABookFileNameAsLongAsAFileNameIsWritten) {
    TempFolder folder;
    const std::filesystem::path target = AnnotationTargetPath(folder.Path(), LongCjkName());
    EXPECT_EQ(WriteExportFile("line\r\n", ".txt", target, true).file, target);
    const ExportResult numbered = WriteExportFile("line\r\n", ".txt", target, false);
    EXPECT_EQ(numbered.file, folder / (LongCjkName().substr(0, 177) + ".annotations_0000.txt"));
    EXPECT_EQ(fixture::FileBytes(numbered.file), "line\r\n");
}

TEST(ExportFileTest, ANumberedFileNeverReplacesALinkOfItsName) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "elsewhere");
    const std::filesystem::path target = folder / "Book.epub.annotations.txt";
    const std::filesystem::path first = folder / "Book.epub.annotations_0000.txt";
    const std::filesystem::path second = folder / "Book.epub.annotations_0001.txt";
    // One pointing nowhere, one to a folder: neither is replaced, nor written through.
    for (const std::filesystem::path& pointee : {folder / "nowhere", folder / "elsewhere"}) {
        std::filesystem::create_symlink(pointee, first);
        EXPECT_EQ(MakeNumberedFileName(target, ".txt"), second);
        const ExportResult written = WriteExportFile("line\r\n", ".txt", target, false);
        EXPECT_EQ(written.outcome, ExportOutcome::Written);
        EXPECT_EQ(written.file, second);
        EXPECT_TRUE(std::filesystem::is_symlink(first));
        EXPECT_EQ(std::filesystem::read_symlink(first), pointee);
        EXPECT_EQ(fixture::FileBytes(second), "line\r\n");
        EXPECT_TRUE(fixture::FolderNames(folder / "elsewhere").empty());
        std::filesystem::remove(first);
        std::filesystem::remove(second);
    }
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

namespace {

AnnotatedVolume VolumeOf(std::size_t bookmarks) {
    AnnotatedVolume volume;
    volume.volumeId = "/mnt/onboard/Book " + std::to_string(bookmarks) + ".epub";
    PartFacts& part = volume.parts.emplace_back();
    part.contentId = "part";
    part.found = true;
    part.title = "One";
    for (std::size_t i = 0; i < bookmarks; ++i) {
        AnnotatedBookmark& bookmark = volume.bookmarks.emplace_back();
        bookmark.bookmarkId = volume.Keep(std::to_string(i));
        bookmark.text = volume.Keep("highlight " + std::to_string(i));
    }
    return volume;
}

TEST(HeldExportFilesTest, FilesHeldWithoutANameInMemoryOrSpooledTakeTheirNamesWithTheirExactBytes) {
    const auto writer = FindExportFormat("text")->makeWriter({.separator = "\t", .setBom = true});
    const std::vector<AnnotatedVolume> volumes = {VolumeOf(10), VolumeOf(10000), VolumeOf(3000), VolumeOf(3000),
                                                  VolumeOf(1)};
    // In memory up to 100 kB in all and 80 kB a file; the writer hands on 4,096 lines at a time (75 kB here). Without
    // files open: the second file starts in memory and moves to the spool, the fourth goes there past the budget of
    // all, the fifth fits in memory again. With two open, the first two have no name until written; with more, all.
    for (const std::size_t openFiles : {std::size_t{0}, std::size_t{2}, std::size_t{100}}) {
        SCOPED_TRACE(openFiles);
        TempFolder folder;
        HeldExportFiles held(folder.Path(),
                             {.ofAll = 100'000, .ofOne = 80'000, .openFiles = openFiles, .beside = openFiles != 2});
        std::vector<std::size_t> files;
        for (const AnnotatedVolume& volume : volumes)
            files.push_back(held.Hold(*writer, AnnotatedVolume(volume), false));
        held.Finish();
        // Nothing has a name before every book is read: a reading that starts again writes nothing twice.
        EXPECT_TRUE(fixture::FolderNames(folder.Path()).empty());
        for (std::size_t i = 0; i < volumes.size(); ++i) {
            const ExportResult written =
                held.Write(files[i], ".txt", AnnotationTargetPath(folder.Path(), volumes[i].volumeId), false);
            ASSERT_EQ(written.outcome, ExportOutcome::Written);
            EXPECT_EQ(fixture::FileBytes(written.file), writer->Render(volumes[i])) << i;
            held.Release(files[i]);
        }
        EXPECT_EQ(fixture::FolderNames(folder.Path()).size(), volumes.size());

        // A reading that starts again holds afresh; what it held before goes without a trace.
        held.Hold(*writer, AnnotatedVolume(volumes[0]), false);
        held.Clear();
        const std::size_t again = held.Hold(*writer, AnnotatedVolume(volumes[1]), true);
        held.Finish();
        const ExportResult written = held.Write(again, ".txt", folder.Path() / "again.txt", true);
        EXPECT_EQ(fixture::FileBytes(written.file), writer->Render(volumes[1]));
        EXPECT_EQ(fixture::FolderNames(folder.Path()).size(), volumes.size() + 1);
    }
}

TEST(HeldExportFilesTest, AFileThatFailedWhileHeldFailsWithTheNameItWasToTake) {
    TempFolder folder;
    const auto writer = FindExportFormat("text")->makeWriter({.separator = "\t", .setBom = true});
    const AnnotatedVolume volume = VolumeOf(3000);
    const std::string bytes = writer->Render(volume);
    // A disk that fills up while the file is written, and a results folder that went away: the message a file
    // written at once would give.
    for (const bool overrideExisting : {false, true}) {
        for (const std::filesystem::path& results : {folder.Path(), folder / "gone"}) {
            const std::filesystem::path target = AnnotationTargetPath(results, volume.volumeId);
            const auto held = [&] {
                HeldExportFiles files(results);
                const std::size_t file = files.Hold(*writer, AnnotatedVolume(volume), false);
                files.Finish();
                files.Write(file, ".txt", target, overrideExisting);
            };
            const std::string expected =
                fixture::RunWithFileSizeLimit(1000, [&] { WriteExportFile(bytes, ".txt", target, overrideExisting); });
            const std::string name = overrideExisting ? target.string() : MakeNumberedFileName(target, ".txt").string();
            EXPECT_EQ(expected, results == folder.Path()
                                    ? "Cannot write file \"" + name + "\": File too large"
                                    : "Cannot create file \"" + name + "\": No such file or directory");
            EXPECT_EQ(fixture::RunWithFileSizeLimit(1000, held), expected);
            EXPECT_TRUE(fixture::FolderNames(folder.Path()).empty());
        }
    }
}

} // namespace
