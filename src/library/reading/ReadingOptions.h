#pragma once

// How the reader's database is read: what the user's options make of its rows.
struct ReadingOptions {
    bool skipDeletedHighlights = true; // "skip deleted highlights": what the reader deleted counts as absent
    bool chapterTitlesFromToc = true;  // "chapter titles from table of contents", for kepub books
    // Dates, types, colours, positions and the book's publisher, ISBN and language, for the formats that show them.
    bool wholeRecords = false;

    bool operator==(const ReadingOptions&) const = default;
};
