// Merging a book's rendered note into the note the user keeps.
#include "NoteMerge.h"
#include "LineEnds.h"
#include "SyncedBooks.h"

#include <cmark.h>
#include <gtest/gtest.h>

namespace {

using namespace synced;

const std::string kKey = "marvik-volume-id: \"file:///mnt/onboard/Ann Writer/Voyage \\\"2\\\".kepub.epub\"\n";

void ExpectNoChanges(const NoteChanges& changes) {
    EXPECT_TRUE(changes.added.empty() && changes.updated.empty() && changes.markedDeleted.empty() &&
                changes.keptAsEdited.empty() && !changes.frontMatterUpdated);
}

TEST(NoteMergeTest, AFirstSyncWritesTheWholeNoteAndASecondChangesNothing) {
    const RenderedNote rendered =
        Voyage({Highlight("b1", "One."), Highlight("b2", "Gone.", true), Highlight("odd id-->%", "Two.")});
    const MergedNote first = NewNote(rendered);
    // Highlights deleted before the note was ever written are left out; ids stay one word of one comment.
    EXPECT_EQ(first.text, "---\n"
                          "title: \"Voyage\"\n"
                          "progress: 42\n" +
                              kKey +
                              "marvik-written: \"marvik-volume-id=3c95093caf72 progress=25d4534be995 "
                              "title=5e7462c06f17\"\n"
                              "---\n"
                              "# Voyage\n"
                              "\n"
                              "<!-- marvik-highlight b1 e97ea353913b -->\n"
                              "> One.\n"
                              "\n"
                              "<!-- /marvik-highlight b1 -->\n"
                              "<!-- marvik-highlight odd%20id--%3e%25 90b7d1cec364 -->\n"
                              "> Two.\n"
                              "\n"
                              "<!-- /marvik-highlight odd%20id--%3e%25 -->\n"
                              "\n"
                              "*Synced from the reader.*\n");
    EXPECT_EQ(first.changes.added, (std::vector<std::string>{"b1", "odd id-->%"}));

    const MergedNote second = MergeNote(first.text, rendered);
    EXPECT_EQ(second.text, first.text);
    ExpectNoChanges(second.changes);
}

TEST(NoteMergeTest, MarkersAreCommentsOfTheirOwnThatLeaveTheHighlightsAsTheyAre) {
    // Blocks without a blank line after them: the comment must neither join a quote nor swallow the next block.
    const std::string note = NewNote(Voyage({{"b1", "> One."}, {"b2", "- Two"}, {"b3", "Three ^b3"}})).text;
    const std::string body = note.substr(note.find("# Voyage"));
    cmark_node* document = cmark_parse_document(body.data(), body.size(), CMARK_OPT_DEFAULT);
    std::vector<std::string> blocks;
    for (cmark_node* block = cmark_node_first_child(document); block; block = cmark_node_next(block))
        blocks.push_back(cmark_node_get_type_string(block));
    cmark_node_free(document);
    EXPECT_EQ(blocks,
              (std::vector<std::string>{"heading", "html_block", "block_quote", "html_block", "html_block", "list",
                                        "html_block", "html_block", "paragraph", "html_block", "paragraph"}));
}

TEST(NoteMergeTest, NewAndChangedHighlightsGoInPlaceAndTheUsersWordsStay) {
    const RenderedBlock b1 = Highlight("b1", "One."), b2 = Highlight("b2", "Two."), b3 = Highlight("b3", "Three.");
    const std::string userKeysAndText = "---\n"
                                        "title: \"Voyage\"\n"
                                        "tags:\n"
                                        "  - reading\n"
                                        "  - sea\n"
                                        "progress: 42\n"
                                        "# my own keys below\n"
                                        "summary: |\n"
                                        "  What stayed with me.\n"
                                        "\n"
                                        "  And what did not.\n" +
                                        kKey +
                                        "rating: 5\n"
                                        "---\n"
                                        "My reading notes, before anything.\n"
                                        "\n"
                                        "# Voyage\n"
                                        "\n";
    const std::string note = userKeysAndText + Block(b1) + "I liked this one.\n\n" + Block(b2) + Block(b3) +
                             "\n*Synced from the reader.*\n\nMy closing words, no line end";

    // On the reader: progress moved on, one note added to b2, three new highlights before, among and after them.
    const RenderedBlock b0 = Highlight("b0", "Zero."), b4 = Highlight("b4", "One and a half."),
                        b2noted = {"b2", "> Two.\n\n*my note*\n\n"}, b5 = Highlight("b5", "Four.");
    const MergedNote merged = MergeNote(note, Voyage({b0, b1, b4, b2noted, b3, b5}, "57", "status: reading\n"));

    std::string expected = userKeysAndText;
    expected.replace(expected.find("progress: 42\n"), 13, "progress: 42\nstatus: reading\n");
    // A note written before the program kept its record of values gets one; its progress may be the user's edit, so
    // it stays and is not recorded as the program's.
    expected.insert(expected.find("rating: 5\n"), "marvik-written: \"marvik-volume-id=3c95093caf72 "
                                                  "status=6f116525064b title=5e7462c06f17\"\n");
    // The user's words after b1 stay with it: b4 comes after them.
    expected += Block(b0) + Block(b1) + "I liked this one.\n\n" + Block(b4) + Block(b2noted) + Block(b3) + Block(b5) +
                "\n*Synced from the reader.*\n\nMy closing words, no line end";
    EXPECT_EQ(merged.text, expected);
    EXPECT_EQ(merged.changes.added, (std::vector<std::string>{"b0", "b4", "b5"}));
    EXPECT_EQ(merged.changes.updated, std::vector<std::string>{"b2"});
    EXPECT_TRUE(merged.changes.frontMatterUpdated);
    EXPECT_EQ(merged.changes.keptKeys, std::vector<std::string>{"progress"});

    // Once the user takes the line out, the program writes it again, now recorded as its own.
    std::string taken = merged.text;
    taken.erase(taken.find("progress: 42\n"), 13);
    const MergedNote again = MergeNote(taken, Voyage({b0, b1, b4, b2noted, b3, b5}, "57", "status: reading\n"));
    EXPECT_NE(again.text.find("\nprogress: 57\n"), std::string::npos) << again.text;
    EXPECT_TRUE(again.changes.keptKeys.empty());
}

TEST(NoteMergeTest, BlocksTheUserEditedAreKept) {
    const RenderedBlock b1 = Highlight("b1", "One."), b2 = Highlight("b2", "Two."), b3 = Highlight("b3", "Three.");
    std::string note = NewNote(Voyage({b1, b2, b3})).text;
    // Inside two blocks the user wrote; of the third they removed the closing marker.
    note.replace(note.find("> One.\n"), 7, "> One.\n\nMy thought inside the block.\n");
    note.replace(note.find("> Two.\n"), 7, "> Two, as I read it.\n");
    note.erase(note.find(ClosingMarker("b3")), ClosingMarker("b3").size() + 1);

    // The reader changed b1 and b3, not b2: only b1 is a change the user's words win over; b3 is not added again.
    const MergedNote merged =
        MergeNote(note, Voyage({{"b1", "> One.\n\n*note*\n\n"}, b2, {"b3", "> Three.\n\n*note*\n\n"}}));
    EXPECT_EQ(merged.text, note);
    EXPECT_EQ(merged.changes.keptAsEdited, std::vector<std::string>{"b1"});
    EXPECT_TRUE(merged.changes.added.empty() && merged.changes.updated.empty());
}

TEST(NoteMergeTest, AHighlightDeletedOnTheReaderIsMarkedOnceAndKept) {
    const RenderedBlock b1 = Highlight("b1", "One."), b2 = Highlight("b2", "Two."), b3 = Highlight("b3", "Three.");
    std::string note = NewNote(Voyage({b1, b2, b3})).text;
    note.replace(note.find("> Three.\n"), 9, "> Three, my way.\n");

    // b2 is gone from the reader's list, b3 is listed as deleted; the user's version of b3 is what is kept.
    const RenderedNote rendered = Voyage({b1, Highlight("b3", "Three.", true)});
    const MergedNote merged = MergeNote(note, rendered);
    std::string expected = NewNote(Voyage({b1})).text;
    expected.insert(expected.find("\n*Synced"), Block("b2", "<del>\n> Two.\n\n</del>\n", true) +
                                                    Block("b3", "<del>\n> Three, my way.\n\n</del>\n", true));
    EXPECT_EQ(merged.text, expected);
    EXPECT_EQ(merged.changes.markedDeleted, (std::vector<std::string>{"b2", "b3"}));

    const MergedNote again = MergeNote(merged.text, rendered);
    EXPECT_EQ(again.text, merged.text);
    ExpectNoChanges(again.changes);
}

TEST(NoteMergeTest, ANoteWithWindowsLineEndsKeepsThem) {
    const RenderedBlock b1 = Highlight("b1", "One."), b2 = Highlight("b2", "Two."), b3 = Highlight("b3", "Three.");
    const std::string lf = NewNote(Voyage({b1, b3})).text + "My words.\n";
    const std::string crlf = InLineEnds(lf, true);

    const MergedNote same = MergeNote(crlf, Voyage({b1, b3}));
    EXPECT_EQ(same.text, crlf);
    ExpectNoChanges(same.changes);

    const RenderedNote later = Voyage({b1, b2, b3}, "57");
    const MergedNote fromLf = MergeNote(lf, later);
    ASSERT_EQ(fromLf.changes.added, std::vector<std::string>{"b2"});
    const MergedNote fromCrlf = MergeNote(crlf, later);
    EXPECT_EQ(fromCrlf.text, InLineEnds(fromLf.text, true));
    EXPECT_TRUE(fromCrlf.changes.updated.empty() && fromCrlf.changes.keptAsEdited.empty());
}

TEST(NoteMergeTest, AnOutlineWrittenWithCommentMarkersKeepsThem) {
    // A Logseq page from before its marks were properties: its blocks are found by their comments, none comes twice.
    const RenderedBlock b1 = {"b1", "\t- One\n"}, b2 = {"b2", "\t- Two\n"};
    const std::string old = NewNote(Voyage({b1})).text;
    RenderedNote outline = Voyage({b1, b2});
    outline.marks = NoteMarks::Properties;
    const MergedNote merged = MergeNote(old, outline);
    EXPECT_EQ(merged.changes.added, std::vector<std::string>{"b2"});
    EXPECT_EQ(merged.text.find("marvik-highlight:: "), std::string::npos) << merged.text;
    EXPECT_EQ(MergeNote(merged.text, outline).text, merged.text);
}

} // namespace
