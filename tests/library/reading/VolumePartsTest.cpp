// A volume's parts read through the book's own rows, and its bookmarks read in one pass or, for a large book, two.
#include "LibraryIndex.h"
#include "ReaderConnection.h"
#include "ReaderDatabase.h"
#include "RecordingProgress.h"
#include "SampleBooks.h"
#include "TempFolder.h"
#include "VolumeReader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace fixture::current;

const std::string kOther = "/mnt/onboard/Other/Other.kepub.epub";
const std::string kMixed = "/mnt/onboard/Mixed/Mixed.kepub.epub";

// What a reading says of a volume, part by part and bookmark by bookmark.
std::string Described(const AnnotatedVolume& volume) {
    std::string text;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        const PartFacts& part = volume.PartOf(bookmark);
        text += std::string(bookmark.bookmarkId) + " in " + part.contentId + (part.found ? " found: " : " missing: ") +
                part.title + " / " + part.attribution + " depth " + std::to_string(part.depth) + " at " +
                volume.PositionText(bookmark) + "\n";
    }
    return text;
}

AnnotatedVolume Read(const std::filesystem::path& database, const std::string& volumeId, const ReadingOptions& options,
                     bool avoidIndexes) {
    const std::unique_ptr<ReaderConnection> reader = OpenReaderDatabase(database, ReaderAccess::Read, avoidIndexes);
    fixture::RecordingProgress progress;
    const LibraryIndex index;
    return ReadAnnotatedVolume(*reader, index, volumeId, options, nullptr, progress);
}

// Parts of every kind a bookmark may name: the book's own spine files and chapters, a spine file of another book
// (with a table of contents of its own), a row without a BookID, a ContentID stored as a blob (which no bound text
// equals), and none at all.
void AddMixedBook(fixture::ReaderDatabase& reader) {
    reader.AddBook({.volumeId = kMixed, .title = "Mixed", .author = "Someone"});
    reader.AddBook({.volumeId = kOther, .title = "Other", .author = "Someone Else"});
    const std::string own = kMixed + "!!a.xhtml", other = kOther + "!!b.xhtml", loose = kMixed + "!!loose.xhtml";
    reader.AddPart({.contentId = own, .bookId = kMixed, .title = "a.xhtml", .volumeIndex = 2});
    reader.AddPart({.contentId = own + "-toc",
                    .bookId = kMixed,
                    .title = "Own Chapter",
                    .volumeIndex = 1,
                    .contentType = "899",
                    .chapterIdBookmarked = own,
                    .depth = 2});
    reader.AddPart(
        {.contentId = other, .bookId = kOther, .title = "b.xhtml", .attribution = "Guest", .volumeIndex = 5});
    reader.AddPart({.contentId = other + "-toc",
                    .bookId = kOther,
                    .title = "Other Chapter",
                    .volumeIndex = 3,
                    .contentType = "899",
                    .chapterIdBookmarked = other});
    reader.AddPart({.contentId = loose, .title = "Loose", .volumeIndex = 7, .contentType = "6"});
    reader.Exec("INSERT INTO content (ContentID, ContentType, MimeType, BookID, Title, ___UserID) VALUES (CAST('" +
                kMixed + "!!blob.xhtml' AS BLOB), '9', 'application/xhtml+xml', '" + kMixed + "', 'Blob', 'u')");
    int n = 0;
    for (const std::string& part : {own, other, loose, kMixed + "!!blob.xhtml", kMixed + "!!nowhere.xhtml"})
        for (const char* path : {"span#kobo.3.1", "span#kobo.1.1"})
            reader.AddBookmark({.bookmarkId = "m" + std::to_string(n++),
                                .volumeId = kMixed,
                                .contentId = part,
                                .startContainerPath = path,
                                .text = "text"});
}

TEST(VolumePartsTest, PartsFoundThroughTheBooksOwnRowsAreThoseFoundOneByOne) {
    TempFolder folder;
    const std::filesystem::path database = folder / "KoboReader.sqlite";
    {
        fixture::ReaderDatabase reader(database);
        fixture::AddCurrentFirmwareLibrary(reader);
        AddMixedBook(reader);
    }
    // Without its indexes the database is read part by part, the described way.
    const auto same = [&](const std::string& title) {
        for (const std::string& volume : {kKepub, kStore, kPlain, kMixed})
            for (const bool toc : {true, false})
                for (const bool whole : {true, false}) {
                    const ReadingOptions options{.chapterTitlesFromToc = toc, .wholeRecords = whole};
                    const std::string expected = Described(Read(database, volume, options, true));
                    EXPECT_EQ(Described(Read(database, volume, options, false)), expected)
                        << title << ": " << volume << (toc ? " toc" : "") << (whole ? " whole" : "");
                }
    };
    same("the reader's schema");
    EXPECT_NE(
        Described(Read(database, kMixed, {}, false)).find("m3 in " + kOther + "!!b.xhtml found: Other Chapter / Guest"),
        std::string::npos);

    // Without ContentID as primary key, two rows may share one: the first of them stands, as one query finds it.
    {
        fixture::ReaderDatabase reader(database, fixture::ReaderDatabase::Existing);
        reader.Exec("CREATE TABLE content_keyed AS SELECT * FROM content");
        reader.Exec("DROP TABLE content");
        reader.Exec("ALTER TABLE content_keyed RENAME TO content");
        reader.Exec("CREATE INDEX content_bookid_index ON content (BookID)");
        reader.Exec(
            "INSERT INTO content (rowid, ContentID, ContentType, MimeType, BookID, Title, ___UserID) VALUES (-1, '" +
            kMixed + "!!a.xhtml', '9', 'application/xhtml+xml', 'elsewhere', 'An Earlier Row', 'u')");
    }
    same("without a primary key");
    EXPECT_NE(Described(Read(database, kMixed, {}, false)).find("found: An Earlier Row"), std::string::npos);
}

TEST(VolumePartsTest, ABookTooLargeToHoldInOnePassIsReadInTwo) {
    TempFolder folder;
    const std::filesystem::path database = folder / "KoboReader.sqlite";
    constexpr int kBookmarks = 50003; // more than one pass holds
    {
        fixture::ReaderDatabase reader(database);
        reader.AddBook({.volumeId = kPlain, .title = "Big", .author = "Someone"});
        for (int part = 0; part < 3; ++part)
            reader.AddPart({.contentId = kPlain + "#(" + std::to_string(part) + ")p.html",
                            .bookId = kPlain,
                            .title = "Part " + std::to_string(part),
                            .volumeIndex = 2 - part});
        // Stored in no order: the place in the part is a scramble of the row's number.
        reader.Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                    std::to_string(kBookmarks - 1) +
                    ") INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, "
                    "StartContainerChildIndex, StartOffset, EndContainerPath, EndContainerChildIndex, EndOffset, Text, "
                    "Hidden) SELECT 'b' || i, '" +
                    kPlain + "', '" + kPlain + "#(' || (i % 3) || ')p.html', 'span#kobo.' || (i * 7919 % " +
                    std::to_string(kBookmarks) + ") || '.1', 1, 0, '', 1, 0, 'text of b' || i, 'false' FROM n");
    }
    const AnnotatedVolume volume = Read(database, kPlain, {}, false);
    ASSERT_EQ(volume.bookmarks.size(), static_cast<std::size_t>(kBookmarks));
    const auto place = [&volume](const AnnotatedBookmark& bookmark) {
        const std::string id(bookmark.bookmarkId.substr(1));
        const int row = std::stoi(id);
        // Parts in book order (2, 1, 0 by their rows' order), then the place in the part.
        return std::pair{2 - row % 3, static_cast<long long>(row) * 7919 % kBookmarks};
    };
    for (std::size_t i = 0; i < volume.bookmarks.size(); ++i) {
        const AnnotatedBookmark& bookmark = volume.bookmarks[i];
        ASSERT_EQ(bookmark.text, "text of " + std::string(bookmark.bookmarkId)) << i;
        ASSERT_EQ(volume.PartOf(bookmark).title,
                  "Part " + std::to_string(std::stoi(std::string(bookmark.bookmarkId.substr(1))) % 3))
            << i;
        if (i > 0) {
            ASSERT_LT(place(volume.bookmarks[i - 1]), place(bookmark)) << i;
        }
    }
}

} // namespace
