#include "SampleBooks.h"

namespace fixture {

namespace {

// A part of a book; with tocOf, a table-of-contents row that names the spine file tocOf.
void AddPartOf(ReaderDatabase& reader, const std::string& book, const char* bookTitle, const std::string& id,
               const char* title, std::int64_t index, OptionalText tocOf = {}, OptionalText attribution = {}) {
    reader.AddPart({.contentId = id,
                    .bookId = book,
                    .bookTitle = bookTitle,
                    .title = title,
                    .attribution = attribution,
                    .volumeIndex = index,
                    .contentType = tocOf ? "899" : "9",
                    .chapterIdBookmarked = tocOf});
}

void AddMark(ReaderDatabase& reader, const char* id, const std::string& volume, const std::string& content,
             const char* path, OptionalText text, OptionalText note = {}, const char* hidden = "false") {
    reader.AddBookmark({.bookmarkId = id,
                        .volumeId = volume,
                        .contentId = content,
                        .startContainerPath = path,
                        .text = text,
                        .annotation = note,
                        .hidden = std::string(hidden)});
}

} // namespace

const char* const kWinterVoyageFile = ">>>Title: A Winter Voyage\r\n"
                                      ">>>Author: Some Author\r\n"
                                      ">>>SECTION: Chapter One\r\n"
                                      "It was cold that morning.\tgood opening\r\n"
                                      "The ship left at dawn.\t\r\n"
                                      ">>>SECTION: Chapter Two\r\n"
                                      "\tcheck this date\r\n";

void AddWinterVoyage(ReaderDatabase& reader, const std::string& volumeId) {
    const std::string one = volumeId + "#(1)one.html", two = volumeId + "#(2)two.html";
    reader.AddBook({.volumeId = volumeId, .title = "A Winter Voyage", .author = "Some Author"});
    AddPartOf(reader, volumeId, "A Winter Voyage", one, "Chapter One", 1, {}, ""); // an empty author, not NULL
    AddPartOf(reader, volumeId, "A Winter Voyage", two, "Chapter Two", 2);
    AddMark(reader, "c", volumeId, two, "span#kobo.1.1", {}, "check this date");
    AddMark(reader, "b", volumeId, one, "span#kobo.12.1", "The ship left at dawn.");
    AddMark(reader, "a", volumeId, one, "span#kobo.9.4", "It was cold that morning.", "good opening");
}

namespace current {
const std::string kKepub = "/mnt/onboard/Sun Tzu/The Art of War.kepub.epub";
const std::string kStore = "9a1b2c3d-0000-4000-8000-000000000001";
const std::string kPlain = "/mnt/onboard/Plain/Book.epub";
const std::string kGone = "/mnt/onboard/Gone.epub";
} // namespace current

void AddCurrentFirmwareLibrary(ReaderDatabase& reader) {
    using namespace current;
    const std::string one = kKepub + "!!epub/text/chapter-1.xhtml", two = kKepub + "!!epub/text/chapter-2.xhtml";
    const std::string store = kStore + "!OEBPS!Text/08_Chapter01.xhtml", plain = kPlain + "#(1)ch1.html";
    reader.AddBook({.volumeId = kKepub, .title = "The Art of War", .author = "Sun Tzu"});
    AddPartOf(reader, kKepub, "The Art of War", one, "epub/text/chapter-1.xhtml", 1);
    AddPartOf(reader, kKepub, "The Art of War", two, "epub/text/chapter-2.xhtml", 2);
    // Stored out of book order: the lower VolumeIndex names the chapter.
    AddPartOf(reader, kKepub, "The Art of War", one + "-2", "Strategy", 4, one);
    AddPartOf(reader, kKepub, "The Art of War", one + "-1", "I: Laying Plans", 3, one);
    AddMark(reader, "k1", kKepub, one, "span#kobo.1.1", "All warfare is based on deception.");
    AddMark(reader, "k2", kKepub, one, "span#kobo.2.1", "A deleted highlight.", {}, "true");
    AddMark(reader, "k3", kKepub, two, "span#kobo.1.1", "Chapter two.");

    reader.AddBook({.volumeId = kStore, .title = "Store Book", .author = "Store Author"});
    AddPartOf(reader, kStore, "Store Book", store, "Text/08_Chapter01.xhtml", 8);
    AddPartOf(reader, kStore, "Store Book", store + "#rch1-1", "Chapter 1: The Beginning", 9, store);
    AddMark(reader, "s1", kStore, store, "span#kobo.1.1", "From the store.");

    reader.AddBook({.volumeId = kPlain, .title = "Plain Book", .author = "Plain Author"});
    AddPartOf(reader, kPlain, "Plain Book", plain, "Chapter One", 1);
    AddMark(reader, "p1", kPlain, plain, "span#kobo.1.1", "Plain.");

    AddMark(reader, "g1", kGone, kGone + "#frag", "span#kobo.1.1", "Gone.", {}, "TRUE");
}

} // namespace fixture
