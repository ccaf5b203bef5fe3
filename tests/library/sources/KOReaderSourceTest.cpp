#include "KOReaderSource.h"
#include "LuaSandbox.h"
#include "RecordingProgress.h"
#include "ScopedEnvironment.h"
#include "SourceFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

namespace fs = std::filesystem;
using fixture::RecordingProgress;
using fixture::WriteSourceFile;

std::size_t Warnings(const RecordingProgress& progress) {
    return static_cast<std::size_t>(std::count_if(progress.events.begin(), progress.events.end(),
                                                  [](const std::string& event) { return event.starts_with("warn:"); }));
}

std::vector<std::string> Texts(const AnnotatedVolume& volume) {
    std::vector<std::string> texts;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks)
        texts.emplace_back(bookmark.text);
    return texts;
}

AnnotatedVolume ReadOnly(const KOReaderSource& source) {
    EXPECT_EQ(source.Index().Volumes.Count(), 1u);
    SilentProgress silent;
    return *source.ReadVolume(source.Index().Volumes[0], {}, silent);
}

// A sidecar of the older KOReader, shaped as real ones are: highlight[page][n] with the text, bookmarks[n] with the
// highlighted text in notes and the reader's note in text, and a bookmarked page.
const char* const kOlderSidecar = R"(-- we can read Lua syntax here!
return {
    ["bookmarks"] = {
        [1] = {
            ["chapter"] = "Two",
            ["datetime"] = "2023-01-24 03:45:58",
            ["highlighted"] = true,
            ["notes"] = "later in the book",
            ["page"] = "/body/DocFragment[6]/body/div/p[4]/text()[1].4",
            ["pos0"] = "/body/DocFragment[6]/body/div/p[4]/text()[1].4",
            ["pos1"] = "/body/DocFragment[6]/body/div/p[4]/text()[1].21",
            ["text"] = "my note on it",
        },
        [2] = {
            ["chapter"] = "One",
            ["datetime"] = "2023-01-23 06:19:09",
            ["highlighted"] = true,
            ["notes"] = "early in the book",
            ["page"] = "/body/DocFragment[5]/body/div/p[1]/text().0",
            ["pos0"] = "/body/DocFragment[5]/body/div/p[1]/text().0",
            ["pos1"] = "/body/DocFragment[5]/body/div/p[1]/text().17",
        },
        [3] = {
            ["chapter"] = "One",
            ["datetime"] = "2023-01-23 07:00:00",
            ["notes"] = "in One",
            ["page"] = "/body/DocFragment[5]/body/div/p[9]/text().0",
        },
    },
    ["highlight"] = {
        [12] = {
            [1] = {
                ["chapter"] = "Two",
                ["datetime"] = "2023-01-24 03:45:58",
                ["drawer"] = "lighten",
                ["pos0"] = "/body/DocFragment[6]/body/div/p[4]/text()[1].4",
                ["pos1"] = "/body/DocFragment[6]/body/div/p[4]/text()[1].21",
                ["text"] = "later in the book",
            },
        },
        [5] = {
            [1] = {
                ["chapter"] = "One",
                ["datetime"] = "2023-01-23 06:19:09",
                ["drawer"] = "lighten",
                ["pos0"] = "/body/DocFragment[5]/body/div/p[1]/text().0",
                ["pos1"] = "/body/DocFragment[5]/body/div/p[1]/text().17",
                ["text"] = "early in the book",
            },
        },
    },
    ["doc_props"] = {
        ["authors"] = "Haim G. Ginott",
        ["title"] = "Between Parent and Child",
    },
}
)";

TEST(KOReaderSourceTest, ReadsTheCurrentAnnotationsOfARealSidecar) {
    // KOReader writes the reader's local time: read in Berlin's winter, an hour ahead of UTC.
    const fixture::ScopedEnvironment zone("TZ", "Europe/Berlin");
    RecordingProgress progress;
    const KOReaderSource source(fixture::SourcesData() / "koreader", progress);
    EXPECT_TRUE(source.Refused().empty());
    const std::string id = "/home/alexander/Documents/KoReader/books/13. 86--EIGHTY-SIX, Volume 13 "
                           "nijafsvddavsfjdfashij - Shirabii, Asato Asato (2024).epub";
    ASSERT_EQ(source.Index().Volumes.Entries(), std::vector<std::string>{id});
    EXPECT_EQ(source.Index().TitlePairs.ValueOf(id), "86--EIGHTY-SIX, Volume 13 nijafsvddavsfjdfashij");
    EXPECT_EQ(source.Index().AuthorPairs.ValueOf(id), "Shirabii & Asato Asato");

    const AnnotatedVolume volume = ReadOnly(source);
    EXPECT_EQ(volume.isbn, "9798855408300");
    EXPECT_EQ(volume.language, "English");
    EXPECT_EQ(volume.series, "86\xE2\x80\x94"
                             "EIGHTY-SIX");
    EXPECT_EQ(volume.percentRead, "6");
    ASSERT_EQ(volume.bookmarks.size(), 4u);
    // Paragraphs 7, 10, 24 and 30, although the third was made last.
    EXPECT_TRUE(volume.bookmarks[0].text.starts_with("The Federacy"));
    EXPECT_TRUE(volume.bookmarks[0].text.find("\n\xE2\x80\x9CThere are no") != std::string_view::npos);
    EXPECT_EQ(volume.bookmarks[1].annotation, "yay");
    EXPECT_EQ(volume.bookmarks[1].type, "note");
    EXPECT_EQ(volume.bookmarks[1].dateCreated, "2026-02-20T17:08:18");
    EXPECT_EQ(volume.bookmarks[1].dateModified, "2026-02-20T17:08:21");
    EXPECT_TRUE(volume.bookmarks[2].text.starts_with("it wasn"));
    EXPECT_EQ(volume.bookmarks[2].type, "highlight");
    EXPECT_EQ(volume.bookmarks[3].annotation, "sdfsdfsd");
    EXPECT_EQ(volume.bookmarks[0].color, "yellow");
    ASSERT_EQ(volume.parts.size(), 1u);
    EXPECT_EQ(volume.parts[0].title, "Chapter 1: I Utter the Name");
    EXPECT_EQ(volume.sources.front().kind, SourceKind::KOReader);
    // Page 21 of 417: five percent into the book.
    ASSERT_TRUE(volume.PositionOf(volume.bookmarks[1]));
    EXPECT_NEAR(*volume.PositionOf(volume.bookmarks[1]), 4.8, 0.05);
    // The same id every time it is read, for the ledger and the notes.
    EXPECT_EQ(ReadOnly(source).bookmarks[2].bookmarkId, volume.bookmarks[2].bookmarkId);
    EXPECT_TRUE(volume.bookmarks[2].bookmarkId.starts_with("koreader-"));
}

TEST(KOReaderSourceTest, ReadsTheOlderHighlightAndBookmarkTables) {
    TempFolder folder;
    WriteSourceFile(folder / "Between Parent and Child.sdr" / "metadata.epub.lua", kOlderSidecar);
    SilentProgress silent;
    const KOReaderSource source(folder.Path(), silent);
    const AnnotatedVolume volume = ReadOnly(source);
    EXPECT_EQ(volume.volumeId, (folder / "Between Parent and Child.epub").string());
    EXPECT_EQ(volume.title, "Between Parent and Child");
    ASSERT_EQ(Texts(volume), (std::vector<std::string>{"early in the book", "in One", "later in the book"}));
    EXPECT_EQ(volume.bookmarks[0].annotation, "");
    EXPECT_EQ(volume.bookmarks[1].type, "dogear");
    EXPECT_EQ(volume.bookmarks[2].annotation, "my note on it");
    EXPECT_EQ(volume.PartOf(volume.bookmarks[2]).title, "Two");
}

TEST(KOReaderSourceTest, OrdersFixedPagesByPlaceAndKeepsTheFileOrderWhereNothingCompares) {
    TempFolder folder;
    const auto entry = [](const std::string& text, const std::string& start) {
        return "{ [\"text\"] = \"" + text + "\", [\"pos0\"] = " + start +
               ", [\"datetime\"] = \"2024-01-01 10:00:00\" },";
    };
    // A PDF's points; then xpointers into elements the book alone could order (a <p> beside a <div>).
    WriteSourceFile(folder / "a.sdr" / "metadata.pdf.lua",
                    "return { [\"annotations\"] = {" + entry("lower", "{ page = 3, x = 10, y = 500 }") +
                        entry("upper", "{ page = 3, x = 90, y = 100 }") +
                        entry("first page", "{ page = 1, x = 0, y = 0 }") + "} }");
    WriteSourceFile(folder / "b.sdr" / "metadata.epub.lua",
                    "return { [\"annotations\"] = {" + entry("in div", "\"/body/DocFragment[2]/body/div/text().5\"") +
                        entry("second p", "\"/body/DocFragment[2]/body/p[2]/text().0\"") +
                        entry("first p", "\"/body/DocFragment[2]/body/p[1]/text().0\"") + "} }");
    SilentProgress silent;
    const KOReaderSource source(folder.Path(), silent);
    ASSERT_EQ(source.Index().Volumes.Count(), 2u);
    const AnnotatedVolume pdf = *source.ReadVolume((folder / "a.pdf").string(), {}, silent);
    EXPECT_EQ(Texts(pdf), (std::vector<std::string>{"first page", "upper", "lower"}));
    // The first paragraph moves before the second, and stops at the <div>, which no xpointer orders against it.
    const AnnotatedVolume epub = *source.ReadVolume((folder / "b.epub").string(), {}, silent);
    EXPECT_EQ(Texts(epub), (std::vector<std::string>{"in div", "first p", "second p"}));
}

// Sidecars that do more than return a table: each is refused with its file named, the good one beside them is read,
// and nothing they asked for happens.
TEST(KOReaderSourceTest, RefusesHostileSidecarsAndReadsTheRest) {
    TempFolder folder;
    const fs::path touched = folder / "touched";
    const std::map<std::string, std::string> hostile = {
        {"loop", "while true do end"},
        {"memory", "local t = {} local s = 'x' while true do s = s .. s t[#t + 1] = s end"},
        {"execute", "os.execute('touch " + touched.string() + "') return {}"},
        {"open", "io.open('" + touched.string() + "', 'w'):write('x') return {}"},
        {"require", "local lfs = require('lfs') return {}"},
        {"syntax", "return { [\"annotations\"] = "},
        {"loader", "return load('return {}')()"},
        {"number", "return 42"},
        {"binary", std::string("\x1bLua\x54\x00", 6)},
        {"nested", "local t = {} t.t = t return { [\"annotations\"] = { t } }"},
    };
    for (const auto& [name, chunk] : hostile)
        WriteSourceFile(folder / (name + ".sdr") / "metadata.epub.lua", chunk);
    WriteSourceFile(folder / "good.sdr" / "metadata.epub.lua", kOlderSidecar);

    RecordingProgress progress;
    const KOReaderSource source(folder.Path(), progress);
    EXPECT_EQ(source.Index().Volumes.Count(), 1u);
    EXPECT_EQ(source.Refused().size(), hostile.size());
    EXPECT_EQ(Warnings(progress), hostile.size());
    for (const auto& [name, chunk] : hostile) {
        const std::string file = (folder / (name + ".sdr") / "metadata.epub.lua").string();
        EXPECT_TRUE(std::any_of(source.Refused().begin(), source.Refused().end(), [&](const std::string& why) {
            return why.starts_with(file + ": ");
        })) << name;
    }
    EXPECT_FALSE(fs::exists(touched));
    const auto refusal = [&](const std::string& name) {
        const std::string file = (folder / (name + ".sdr") / "metadata.epub.lua").string();
        for (const std::string& why : source.Refused())
            if (why.starts_with(file + ": "))
                return why.substr(file.size() + 2);
        return std::string();
    };
    EXPECT_EQ(refusal("loop"), "runs longer than a sidecar needs");
    EXPECT_EQ(refusal("memory"), "takes more memory than a sidecar needs");
    EXPECT_EQ(refusal("number"), "returns no table");
    EXPECT_EQ(refusal("nested"), "nests tables deeper than a sidecar does");
    EXPECT_TRUE(refusal("syntax").starts_with("is not a Lua table: ")) << refusal("syntax");
    EXPECT_TRUE(refusal("binary").starts_with("is not a Lua table: ")) << refusal("binary");
    EXPECT_NE(refusal("execute").find("global 'os'"), std::string::npos) << refusal("execute");
    EXPECT_NE(refusal("require").find("global 'require'"), std::string::npos) << refusal("require");
}

TEST(KOReaderSourceTest, FindsSidecarsOnlyInSdrFolders) {
    TempFolder folder;
    WriteSourceFile(folder / "books" / "One.sdr" / "metadata.epub.lua", "return {}");
    WriteSourceFile(folder / "books" / "One.sdr" / "metadata.epub.lua.old", "return {}");
    WriteSourceFile(folder / "koreader" / "docsettings" / "mnt" / "Two.sdr" / "metadata.pdf.lua", "return {}");
    WriteSourceFile(folder / "koreader" / "settings.reader.lua", "return {}");
    WriteSourceFile(folder / "loose" / "metadata.epub.lua", "return {}");
    EXPECT_EQ(FindSidecars(folder.Path()),
              (std::vector<fs::path>{folder / "books" / "One.sdr" / "metadata.epub.lua",
                                     folder / "koreader" / "docsettings" / "mnt" / "Two.sdr" / "metadata.pdf.lua"}));
}

} // namespace
