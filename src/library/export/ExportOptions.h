#pragma once

#include "ExportFormats.h"
#include "MarkupRenderer.h"
#include "ReadingOptions.h"

#include <filesystem>
#include <memory>
#include <string>

class TemplateSet;

// What an export writes, besides what it reads.
struct ExportOptions {
    std::string separator = "\t";  // between a highlight and its note, UTF-8
    bool setBom = true;            // "set BOM"
    bool overrideExisting = false; // "override existing annotation files"
    ExportFormat format = ExportFormat::Text;
    ReadingOptions reading{};
    // Only what is new: each file holds just the highlights that are new or changed since they were last exported
    // into the same folder in the same format, as its ledger records them (ExportLedger.h), and a book with none gets
    // no file. Such a file is always numbered, never replaces one: an earlier file holds what the ledger counts as
    // exported.
    bool newOnly = false;
    // Where given, each drawing's picture is written beside the exported file (MarkupPictures.h) and the file names it.
    std::shared_ptr<const MarkupRenderer> markupRenderer{};
    // Where given, Markdown files are rendered by this template set instead of the Markdown writer (named, numbered and
    // placed as every Markdown file). Other formats leave it unused.
    std::shared_ptr<const TemplateSet> templates{};
    // Where given (the root of the reader's volume, the database being the one on it), the book's cover is copied
    // beside each JSON, HTML or templated Markdown file (ExportCover.h), and the file names it.
    std::filesystem::path coverVolume{};
};
