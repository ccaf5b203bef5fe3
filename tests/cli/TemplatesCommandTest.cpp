// marvik-cli templates, and export --template: the user's sets in a configuration folder of the test's own.
#include "ChildProcess.h"
#include "FileContents.h"
#include "ReaderDatabase.h"
#include "ScopedEnvironment.h"
#include "TempFolder.h"
#include "WholeRecordBooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using fixture::records::kRich;

class TemplatesCommandTest : public ::testing::Test {
protected:
    TemplatesCommandTest() {
        fixture::ReaderDatabase reader(m_database);
        fixture::AddWholeRecordLibrary(reader);
    }

    void WriteTemplate(const std::string& set, const std::string& file, const std::string& text) {
        fs::create_directories(m_sets / set);
        std::ofstream(m_sets / set / file, std::ios::binary) << text;
    }

    ChildResult Cli(std::vector<std::string> arguments) {
        if (arguments.front() == "export")
            arguments.insert(arguments.begin() + 1, {"--db", m_database.string()});
        return RunChild(MARVIK_CLI_EXECUTABLE, arguments, m_work.Path());
    }

    TempFolder m_work;
    fs::path m_database = m_work / "reader.sqlite";
    fs::path m_sets = m_work / "config/marvik/templates";
    fixture::ScopedEnvironment m_config{"XDG_CONFIG_HOME", m_work / "config"};
};

TEST_F(TemplatesCommandTest, SetsAreListedWithWhereTheyComeFromAndRenderTheExports) {
    WriteTemplate("mine", "highlight.mustache", "{{#text}}\n{{#indent}}- {{text}}{{/indent}}\n{{/text}}\n");
    const ChildResult listed = Cli({"templates"});
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "logseq\tbuilt in\nmarkdown\tbuilt in\nmine\t" + (m_sets / "mine").string() + "\nobsidian\tbuilt in\n");

    const ChildResult obsidian = Cli({"export", "--template", "obsidian", kRich});
    ASSERT_EQ(obsidian.exitStatus, 0) << obsidian.err;
    EXPECT_EQ(obsidian.out, "results/Notes_ _On_ Things - Ann Writer_0000.md\n");
    const std::string note = fixture::FileBytes(m_work / "results/Notes_ _On_ Things - Ann Writer_0000.md");
    EXPECT_TRUE(note.starts_with("---\ntitle: \"Notes: \\\"On\\\" Things\"\n")) << note;
    EXPECT_NE(note.find("\n> [!yellow] 10.0 %"), std::string::npos) << note;

    const ChildResult mine = Cli({"export", "--format=markdown", "--template", "mine", "--stdout", kRich});
    ASSERT_EQ(mine.exitStatus, 0) << mine.err;
    EXPECT_NE(mine.out.find("\n- First line,\n  second \"line\".\n"), std::string::npos) << mine.out;
    EXPECT_EQ(Cli({"export", "--template", (m_sets / "mine").string(), "--stdout", kRich}).out, mine.out);
}

TEST_F(TemplatesCommandTest, ATemplateThatCannotBeUsedStopsTheExportBeforeAnythingIsWritten) {
    WriteTemplate("broken", "book.mustache", "# {{title}}\n\n{{#author}}by {{autor}}{{/author}}\n{{{highlights}}}\n");
    const ChildResult run = Cli({"export", "--template", "broken", "--all"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, (m_sets / "broken/book.mustache").string() + ":3: unknown variable \"autor\"\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(m_work / "results"));

    const ChildResult listed = Cli({"templates"});
    EXPECT_EQ(listed.exitStatus, 1);
    EXPECT_NE(listed.out.find("broken\t" + (m_sets / "broken").string() + "\n"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.err,
              "marvik-cli: broken: " + (m_sets / "broken/book.mustache").string() + ":3: unknown variable \"autor\"\n");

    EXPECT_EQ(Cli({"export", "--template", "nothing-here", kRich}).exitStatus, 1);
    const ChildResult json = Cli({"export", "--format", "json", "--template", "obsidian", kRich});
    EXPECT_EQ(json.exitStatus, 2);
    EXPECT_TRUE(json.err.starts_with("marvik-cli: export --template goes with --format markdown only\n")) << json.err;
    EXPECT_FALSE(fs::exists(m_work / "results"));
}

TEST_F(TemplatesCommandTest, ANoteThatGrowsWithoutBoundStopsOnlyItsOwnBook) {
    // A long highlight, repeated by a small template: a note far larger than any note should be.
    const std::string longBook = "file:///mnt/onboard/long.epub";
    {
        fixture::ReaderDatabase reader(m_database, fixture::ReaderDatabase::Existing);
        reader.AddBookmark({.bookmarkId = "long-1",
                            .volumeId = longBook,
                            .contentId = longBook + "#(0)a.html",
                            .text = std::string(100'000, 'x')});
    }
    std::string repeated;
    for (int i = 0; i < 700; ++i)
        repeated += "{{text}}";
    WriteTemplate("repeating", "highlight.mustache", repeated + "\n");
    const std::string message = longBook + ": " + (m_sets / "repeating/highlight.mustache").string() +
                                ": the note grows past 64 MiB: the template repeats too much of the book\n";

    const ChildResult all = Cli({"export", "--template", "repeating", "--all"});
    EXPECT_EQ(all.exitStatus, 1);
    EXPECT_TRUE(all.err.ends_with("something went wrong!\n" + message)) << all.err;
    const ChildResult listed = Cli({"list", "--db", m_database.string()});
    const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_EQ(lines(all.out), lines(listed.out) - 1) << "the other books are written: " << all.out;

    const ChildResult one = Cli({"export", "--template", "repeating", longBook, kRich});
    EXPECT_EQ(one.exitStatus, 1);
    EXPECT_EQ(one.err, "something went wrong!\n" + message);
    EXPECT_EQ(lines(one.out), 1) << one.out;
    for (const std::string& name : fixture::FolderNames(m_work / "results"))
        EXPECT_FALSE(name.ends_with(".tmp")) << "nothing of the book that failed is left behind";
}

} // namespace
