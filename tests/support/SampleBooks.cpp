#include "SampleBooks.h"

#include <tuple>

namespace fixture {

const char* const kWinterVoyageFile = ">>>Title: A Winter Voyage\r\n"
                                      ">>>Author: Some Author\r\n"
                                      ">>>SECTION: Chapter One\r\n"
                                      "It was cold that morning.\tgood opening\r\n"
                                      "The ship left at dawn.\t\r\n"
                                      ">>>SECTION: Chapter Two\r\n"
                                      "\tcheck this date\r\n";

void AddWinterVoyage(ReaderDatabase& reader, const std::string& volumeId) {
    reader.AddBook({.volumeId = volumeId, .title = "A Winter Voyage", .author = "Some Author"});
    const std::string one = volumeId + "#(1)one.html", two = volumeId + "#(2)two.html";
    reader.AddPart({.contentId = one,
                    .bookId = volumeId,
                    .bookTitle = "A Winter Voyage",
                    .title = "Chapter One",
                    .attribution = "",
                    .volumeIndex = 1});
    reader.AddPart({.contentId = two,
                    .bookId = volumeId,
                    .bookTitle = "A Winter Voyage",
                    .title = "Chapter Two",
                    .volumeIndex = 2});
    reader.AddBookmark({.bookmarkId = "c",
                        .volumeId = volumeId,
                        .contentId = two,
                        .startContainerPath = "span#kobo.1.1",
                        .annotation = "check this date"});
    reader.AddBookmark({.bookmarkId = "b",
                        .volumeId = volumeId,
                        .contentId = one,
                        .startContainerPath = "span#kobo.12.1",
                        .text = "The ship left at dawn."});
    reader.AddBookmark({.bookmarkId = "a",
                        .volumeId = volumeId,
                        .contentId = one,
                        .startContainerPath = "span#kobo.9.4",
                        .text = "It was cold that morning.",
                        .annotation = "good opening"});
}

} // namespace fixture

namespace fixture {

namespace current {
const std::string kKepub = "/mnt/onboard/Sun Tzu/The Art of War.kepub.epub";
const std::string kStore = "9a1b2c3d-0000-4000-8000-000000000001";
const std::string kPlain = "/mnt/onboard/Plain/Book.epub";
const std::string kGone = "/mnt/onboard/Gone.epub";
} // namespace current

void AddCurrentFirmwareLibrary(ReaderDatabase& reader) {
    using namespace current;
    const std::string one = kKepub + "!!epub/text/chapter-1.xhtml", two = kKepub + "!!epub/text/chapter-2.xhtml";
    const std::string store = kStore + "!OEBPS!Text/08_Chapter01.xhtml";
    reader.AddBook({.volumeId = kKepub, .title = "The Art of War", .author = "Sun Tzu"});
    reader.AddPart({.contentId = one,
                    .bookId = kKepub,
                    .bookTitle = "The Art of War",
                    .title = "epub/text/chapter-1.xhtml",
                    .volumeIndex = 1});
    reader.AddPart({.contentId = two,
                    .bookId = kKepub,
                    .bookTitle = "The Art of War",
                    .title = "epub/text/chapter-2.xhtml",
                    .volumeIndex = 2});
    // Stored out of book order: the lower VolumeIndex names the chapter.
    for (const auto& [suffix, title, index] : {std::tuple{"-2", "Strategy", 4}, {"-1", "I: Laying Plans", 3}})
        reader.AddPart({.contentId = one + suffix,
                        .bookId = kKepub,
                        .bookTitle = "The Art of War",
                        .title = title,
                        .volumeIndex = index,
                        .contentType = "899",
                        .chapterIdBookmarked = one});
    reader.AddBookmark(
        {.bookmarkId = "k1", .volumeId = kKepub, .contentId = one, .text = "All warfare is based on deception."});
    reader.AddBookmark({.bookmarkId = "k2",
                        .volumeId = kKepub,
                        .contentId = one,
                        .startContainerPath = "span#kobo.2.1",
                        .text = "A deleted highlight.",
                        .hidden = std::string("true")});
    reader.AddBookmark({.bookmarkId = "k3", .volumeId = kKepub, .contentId = two, .text = "Chapter two."});

    reader.AddBook({.volumeId = kStore, .title = "Store Book", .author = "Store Author"});
    reader.AddPart({.contentId = store,
                    .bookId = kStore,
                    .bookTitle = "Store Book",
                    .title = "Text/08_Chapter01.xhtml",
                    .volumeIndex = 8});
    reader.AddPart({.contentId = store + "#rch1-1",
                    .bookId = kStore,
                    .bookTitle = "Store Book",
                    .title = "Chapter 1: The Beginning",
                    .volumeIndex = 9,
                    .contentType = "899",
                    .chapterIdBookmarked = store});
    reader.AddBookmark({.bookmarkId = "s1", .volumeId = kStore, .contentId = store, .text = "From the store."});

    reader.AddBook({.volumeId = kPlain, .title = "Plain Book", .author = "Plain Author"});
    reader.AddPart({.contentId = kPlain + "#(1)ch1.html",
                    .bookId = kPlain,
                    .bookTitle = "Plain Book",
                    .title = "Chapter One",
                    .volumeIndex = 1});
    reader.AddBookmark(
        {.bookmarkId = "p1", .volumeId = kPlain, .contentId = kPlain + "#(1)ch1.html", .text = "Plain."});

    reader.AddBookmark({.bookmarkId = "g1",
                        .volumeId = kGone,
                        .contentId = kGone + "#frag",
                        .text = "Gone.",
                        .hidden = std::string("TRUE")});
}

} // namespace fixture
