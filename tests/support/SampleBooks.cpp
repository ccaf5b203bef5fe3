#include "SampleBooks.h"

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
