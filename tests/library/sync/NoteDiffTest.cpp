// The dry run's diff of a large note: a change within it is shown where it is, a change of all of it told by its size.
#include "NoteDiff.h"

#include <gtest/gtest.h>

namespace {

std::string Numbered(int lines, const std::string& prefix) {
    std::string text;
    for (int line = 1; line <= lines; ++line)
        text += prefix + std::to_string(line) + "\n";
    return text;
}

TEST(NoteDiffTest, ALargeNoteShowsItsChangeWhereItIsOrTellsItsSize) {
    // One line changed in the middle of 30,000: its hunk, with its three lines of context, numbered in the note.
    const std::string before = Numbered(30'000, "line ");
    std::string after = before;
    after.replace(after.find("line 15000\n"), 11, "changed\n");
    EXPECT_EQ(UnifiedDiff(before, after, "a/n.md", "b/n.md"),
              "--- a/n.md\n+++ b/n.md\n@@ -14997,7 +14997,7 @@\n line 14997\n line 14998\n line 14999\n-line 15000\n"
              "+changed\n line 15001\n line 15002\n line 15003\n");
    // A line added at the very end, and one at the very start.
    EXPECT_EQ(UnifiedDiff(before, before + "new\n", "a/n.md", "b/n.md"),
              "--- a/n.md\n+++ b/n.md\n@@ -29998,3 +29998,4 @@\n line 29998\n line 29999\n line 30000\n+new\n");
    EXPECT_EQ(UnifiedDiff(before, "new\n" + before, "a/n.md", "b/n.md"),
              "--- a/n.md\n+++ b/n.md\n@@ -1,3 +1,4 @@\n+new\n line 1\n line 2\n line 3\n");

    // A new note of that size is shown whole: nothing is compared.
    const std::string whole = UnifiedDiff("", before, "/dev/null", "b/n.md");
    EXPECT_TRUE(whole.starts_with("--- /dev/null\n+++ b/n.md\n@@ -0,0 +1,30000 @@\n+line 1\n+line 2\n"))
        << whole.substr(0, 99);
    EXPECT_TRUE(whole.ends_with("\n+line 30000\n"));

    // Every line different: comparing them all would take without end, so the change is told by its size.
    EXPECT_EQ(UnifiedDiff(before, Numbered(30'000, "other "), "a/n.md", "b/n.md"),
              "--- a/n.md\n+++ b/n.md\n@@ the note changed: 30000 lines removed, 30000 lines added; too many to show "
              "line by line @@\n");
}

} // namespace
