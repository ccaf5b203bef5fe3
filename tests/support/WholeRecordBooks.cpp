#include "WholeRecordBooks.h"

#include <fstream>

namespace fixture {

namespace records {
const std::string kRich = "file:///mnt/onboard/Ann Writer/Notes - Ann Writer.kepub.epub";
const std::string kStore = "5a0f2c7e-3b8d-4e1a-9c6f-8d2e4b7a1f03";
const std::string kUntitled = "/mnt/onboard/untitled.epub";
} // namespace records

namespace {

struct Record {
    const char* id;
    const std::string& volume;
    std::string contentId;
    const char* path;
    OptionalText text;
    OptionalText note;
    const char* type;
    const char* color;
    const char* created;
    const char* progress;
    const char* hidden = "false";
};

} // namespace

void AddWholeRecordLibrary(ReaderDatabase& reader) {
    using namespace records;
    reader.Exec("ALTER TABLE Bookmark ADD COLUMN Color INTEGER");
    reader.AddBook({.volumeId = kRich, .title = "Notes: \"On\" Things", .author = "Ann Writer"});
    reader.Exec("UPDATE content SET Publisher = 'Small Press', ISBN = '9780000000002', Language = 'en' "
                "WHERE ContentID = '" +
                kRich + "'");
    reader.AddBook({.volumeId = kStore, .title = "A Store Book", .author = "Bo Lind"});
    // Both are kepubs: their parts say where they are in the book.
    reader.Exec("UPDATE content SET MimeType = 'application/x-kobo-epub+zip' WHERE ContentType = '6'");
    const std::string one = kRich + "!!ch1.xhtml", two = kRich + "!!ch2.xhtml";
    reader.AddPart(
        {.contentId = one, .bookId = kRich, .bookTitle = "Notes: \"On\" Things", .title = "One", .volumeIndex = 1});
    reader.AddPart(
        {.contentId = two, .bookId = kRich, .bookTitle = "Notes: \"On\" Things", .title = "Two", .volumeIndex = 2});
    reader.Exec("UPDATE content SET ___FileOffset = 0, ___FileSize = 40 WHERE ContentID = '" + one + "'");
    reader.Exec("UPDATE content SET ___FileOffset = 40, ___FileSize = 60 WHERE ContentID = '" + two + "'");
    reader.AddPart({.contentId = kStore + "#part1", .bookId = kStore, .bookTitle = "A Store Book", .title = "Start"});

    const Record records[] = {
        {"r6", kRich, two, "span#kobo.9.1", "Deleted.", {}, "highlight", "3", "2024-11-20T08:00:00.000", "0.9", "true"},
        {"r5", kRich, two, "span#kobo.5.1", {}, {}, "markup", {}, {}, {}},
        {"r4", kRich, two, "span#kobo.1.1", {}, {}, "dogear", {}, "2024-11-19T21:10:05.000", "0.0"},
        {"r3",
         kRich,
         one,
         "span#kobo.7.1",
         "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9"
         "\xD8\xA7\xD9\x84\xD9\x85",
         {},
         "highlight",
         "2",
         "2024-11-18T17:47:00.000",
         "0.75"},
        {"r2", kRich, one, "span#kobo.4.1", "# not a heading\t> not a quote\n* not a list [not](a link)", "Why?",
         "note", "1", "2024-11-18T17:46:10.120", "0.5"},
        {"r1", kRich, one, "span#kobo.2.1", "First line,\nsecond \"line\".", "a note, with \"quotes\"", "note", "0",
         "2024-11-18T17:45:50.886", "0.25"},
        {"s1", kStore, kStore + "#part1", "span#kobo.1.1", "Bought text.", {}, {}, {}, {}, {}},
        {"u1", kUntitled, "untitled.html", "span#kobo.1.1", "No title here.", {}, "highlight", {}, {}, {}},
    };
    for (const Record& r : records) {
        reader.AddBookmark({.bookmarkId = r.id,
                            .volumeId = r.volume,
                            .contentId = r.contentId,
                            .startContainerPath = r.path,
                            .text = r.text,
                            .annotation = r.note,
                            .hidden = std::string(r.hidden)});
        const auto value = [](const char* text) { return text ? "'" + std::string(text) + "'" : std::string("NULL"); };
        reader.Exec("UPDATE Bookmark SET Type = " + value(r.type) + ", Color = " + value(r.color) +
                    ", DateCreated = " + value(r.created) + ", DateModified = " + value(r.created) +
                    ", ChapterProgress = " + (r.progress ? r.progress : "0") + " WHERE BookmarkID = '" + r.id + "'");
    }
}

void AddRichBookShelves(ReaderDatabase& reader) {
    using namespace records;
    reader.AddShelfAndWordTables();
    for (const char* shelf : {"To read", "<b>Best</b> & \"more\"", "=HYPERLINK(1)", "Dropped"})
        reader.AddShelf(shelf);
    reader.AddShelf("Gone", true);
    for (const char* shelf : {"To read", "<b>Best</b> & \"more\"", "=HYPERLINK(1)", "Gone"})
        reader.AddToShelf(shelf, kRich);
    reader.AddToShelf("Dropped", kRich, true);
    reader.SetRating(kRich, 4);
    reader.Exec("UPDATE content SET ReadStatus = 2 WHERE ContentID = '" + kRich + "'");
}

void AddRichBookFacts(ReaderDatabase& reader, const std::filesystem::path& folder) {
    using namespace records;
    reader.SetReading(kRich, {.timeSpentReading = std::int64_t{3600},
                              .percentRead = std::int64_t{45},
                              .readStatus = std::int64_t{1},
                              .dateLastRead = std::string("2024-11-20T08:00:00Z"),
                              .isbn = std::string("9780000000002")});
    reader.Exec("UPDATE content SET Series = 'Notes', SeriesNumber = '2' WHERE ContentID = '" + kRich + "'");
    std::filesystem::create_directory(folder / "markups");
    std::ofstream(folder / "markups/r5.svg") << "<svg/>";
}

} // namespace fixture
