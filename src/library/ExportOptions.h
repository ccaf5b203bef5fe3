#pragma once

#include "AnnotationWriter.h"

#include <string>

// How the reader's database is read: what the user's options make of its rows.
struct ReadingOptions {
    bool skipDeletedHighlights = true; // "skip deleted highlights": what the reader deleted counts as absent
    bool chapterTitlesFromToc = true;  // "chapter titles from table of contents", for kepub books
    // Dates, types, colours, positions and the book's publisher, ISBN and language, for the formats that show them.
    bool wholeRecords = false;
};

// What an export writes, besides what it reads.
struct ExportOptions {
    std::string separator = "\t";  // between a highlight and its note, UTF-8
    bool setBom = true;            // "set BOM"
    bool overrideExisting = false; // "override existing annotation files"
    ExportFormat format = ExportFormat::Text;
    ReadingOptions reading{};
    // Only what is new: each file holds just the highlights that are new or changed since they were last exported
    // into the same folder, as its ledger records them (ExportLedger.h), and a book with none gets no file. Such a
    // file is always numbered, never replaces one: an earlier file holds what the ledger counts as exported.
    bool newOnly = false;
};
