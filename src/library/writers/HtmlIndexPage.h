#pragma once

#include <span>
#include <string>
#include <string_view>

// One book's page, as the index of an export of every book lists it.
struct HtmlIndexEntry {
    std::string fileName; // the page's file, in the index's folder
    std::string title;
    std::string author;
};

// The page that links the pages of one export of every book, in the order given: each book's title as a link to its
// page, its author beside it. A self-contained page like the books' own (html::PageStart); the links' addresses are
// percent-encoded relative names, so that any file name links.
std::string HtmlIndexPage(std::span<const HtmlIndexEntry> books, std::string_view exportDate);
