// The Kindle clippings file: one file for a whole export, entries as a Kindle writes them, read back by the clippings
// source with every highlight once and its text and note intact.
#include "ClippingsAnnotationWriter.h"
#include "ClippingsSource.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "ScopedEnvironment.h"
#include "WholeRecordBooks.h"

#include <map>

namespace {

using namespace fixture::records;
using ClippingsWriterTest = ReaderFolderTest;

const std::string kParenthesised = "/mnt/onboard/paren.epub";
const std::string kLongText = std::string(400, 'w');

// Each book's title and its bookmarks' texts and notes, in reading order.
using Books = std::map<std::string, std::vector<std::string>>;

std::string Shown(const AnnotatedBookmark& bookmark) {
    return std::string(bookmark.text) + " | " + std::string(bookmark.annotation);
}

// A title with parentheses of its own, an author with one left open, a line of ten "=", a long highlight, a note
// without text.
void AddAwkwardBook(fixture::ReaderDatabase& reader) {
    reader.AddBook({.volumeId = kParenthesised, .title = "Poems (Vol. 1)", .author = "Ed (ited"});
    reader.AddPart({.contentId = "paren.html", .bookId = kParenthesised, .title = "All", .volumeIndex = 1});
    reader.AddBookmark({.bookmarkId = "p1",
                        .volumeId = kParenthesised,
                        .contentId = "paren.html",
                        .startContainerPath = "span#kobo.1.1",
                        .text = "Before\n==========\nafter.",
                        .annotation = "n"});
    reader.AddBookmark({.bookmarkId = "p2",
                        .volumeId = kParenthesised,
                        .contentId = "paren.html",
                        .startContainerPath = "span#kobo.2.1",
                        .text = kLongText});
    reader.AddBookmark({.bookmarkId = "p3",
                        .volumeId = kParenthesised,
                        .contentId = "paren.html",
                        .startContainerPath = "span#kobo.3.1",
                        .annotation = "A note alone."});
}

TEST_F(ClippingsWriterTest, AnEntryAsAKindleWritesItAndADateInItsEnglish) {
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    fixture::AddWholeRecordLibrary(reader);
    Load();
    const ExportOptions clippings{.format = ExportFormat::Clippings};
    const std::filesystem::path target = library.ExportTarget(kRich, results, clippings);
    EXPECT_EQ(target, results / "My Clippings.txt");
    const std::string bytes = fixture::FileBytes(library.ExtractAnnotations(kRich, target, clippings, progress).file);
    const std::string title = "\xEF\xBB\xBFNotes: \"On\" Things (Ann Writer)\r\n";
    const std::string end = "\r\n==========\r\n";
    EXPECT_EQ(
        bytes,
        title +
            "- Your Highlight on Location 1 | Added on Monday, November 18, 2024 5:45:50 PM\r\n\r\n"
            "First line,\r\nsecond \"line\"." +
            end + title +
            "- Your Note on Location 1 | Added on Monday, November 18, 2024 5:45:50 PM\r\n\r\n"
            "a note, with \"quotes\"" +
            end + title +
            "- Your Highlight on Location 2 | Added on Monday, November 18, 2024 5:46:10 PM\r\n\r\n"
            "# not a heading\t> not a quote\r\n* not a list [not](a link)" +
            end + title + "- Your Note on Location 2 | Added on Monday, November 18, 2024 5:46:10 PM\r\n\r\nWhy?" +
            end + title +
            "- Your Highlight on Location 3 | Added on Monday, November 18, 2024 5:47:00 PM\r\n\r\n"
            "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85" +
            end + title + "- Your Bookmark on Location 4 | Added on Tuesday, November 19, 2024 9:10:05 PM\r\n\r\n" +
            end + title + "- Your Bookmark on Location 5 | Added on\r\n\r\n" + end);

    EXPECT_EQ(KindleAddedOn("2024-01-07T00:05:09Z"), "Sunday, January 7, 2024 12:05:09 AM");
    EXPECT_EQ(KindleAddedOn("2024-01-07 12:00:00.5"), "Sunday, January 7, 2024 12:00:00 PM");
    EXPECT_EQ(KindleAddedOn("yesterday"), "");
    const fixture::ScopedEnvironment berlin("TZ", "Europe/Berlin");
    EXPECT_EQ(KindleAddedOn("2024-07-01T22:30:00Z"), "Tuesday, July 2, 2024 12:30:00 AM") << "the local time";
}

TEST_F(ClippingsWriterTest, OneFileForEveryBookReadBackWithEveryHighlightOnce) {
    fixture::AddWholeRecordLibrary(reader);
    AddAwkwardBook(reader);
    Load();
    const ExportOptions clippings{.overrideExisting = true, .format = ExportFormat::Clippings};
    const ExportAllResult result =
        library.ExtractAllAnnotations(Index().Volumes.Entries(), results, clippings, progress);
    ASSERT_EQ(result.written, std::vector<std::filesystem::path>{results / "My Clippings.txt"});
    EXPECT_TRUE(result.failed.empty());
    const std::string bytes = fixture::FileBytes(results / "My Clippings.txt");
    EXPECT_EQ(bytes.find("\n==========\r\nafter"), std::string::npos) << "a text's line ended its entry";
    EXPECT_NE(bytes.find("Poems (Vol. 1) (Ed [ited)\r\n- Your Highlight on Location 2-4 |"), std::string::npos);

    Books written;
    for (const std::string& id : Index().Volumes.Entries()) {
        SilentProgress silent;
        const AnnotatedVolume volume = *library.ReadVolume(id, {.wholeRecords = true}, silent);
        std::vector<std::string>& shown = written[volume.title.empty() ? BookFileName(id) : volume.title];
        for (const AnnotatedBookmark& bookmark : volume.bookmarks)
            shown.push_back(Shown(bookmark));
    }
    // The line of ten "=" stays in the text, broken by a zero-width space.
    written["Poems (Vol. 1)"][0] = "Before\n=========\xE2\x80\x8B=\nafter. | n";

    SilentProgress silent;
    const ClippingsSource source(results / "My Clippings.txt", silent);
    EXPECT_TRUE(source.Problems().badEntryLines.empty());
    Books read;
    for (const std::string& id : source.Index().Volumes.Entries()) {
        std::vector<std::string>& shown = read[source.Index().TitlePairs.ValueOf(id)];
        const std::optional<AnnotatedVolume> volume = source.ReadVolume(id, {}, silent);
        for (const AnnotatedBookmark& bookmark : volume->bookmarks)
            shown.push_back(Shown(bookmark));
    }
    EXPECT_EQ(read, written);
    EXPECT_EQ(source.Index().AuthorPairs.ValueOf("Poems (Vol. 1) (Ed [ited)"), "Ed [ited");
}

TEST(ClippingsTitleTest, ATitleEndingInParenthesesKeepsThemWithoutAnAuthor) {
    AnnotatedVolume volume;
    volume.volumeId = "/mnt/onboard/x.epub";
    volume.title = "Poems (Vol. 1)";
    EXPECT_EQ(ClippingsTitleLine(volume), "Poems (Vol. 1) ()");
    EXPECT_EQ(ReadClippingTitle(ClippingsTitleLine(volume)).title, "Poems (Vol. 1)");
    volume.title = "==========";
    volume.author = "A\nB";
    EXPECT_EQ(ClippingsTitleLine(volume), "=========\xE2\x80\x8B= (A B)");
    volume.title.clear();
    EXPECT_EQ(ClippingsTitleLine(volume), "x.epub (A B)");
}

} // namespace
