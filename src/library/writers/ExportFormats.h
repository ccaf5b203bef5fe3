#pragma once

#include "AnnotationWriter.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

enum class ExportFormat { Text, Markdown, Json, Csv, Readwise, Html, Clippings };

// What a writer takes from the export's options, where its format has it.
struct WriterSettings {
    std::string separator = "\t"; // between a highlight and its note
    bool setBom = true;           // the UTF-8 byte-order mark in front
};

// Everything that makes a format what it is, in one row: adding a format is one row and one writer class.
struct ExportFormatRow {
    ExportFormat format;
    std::string_view name;      // stable: the command line's --format value, and what the settings store
    std::string_view caption;   // what the window's list of formats shows
    std::string_view extension; // of its files, with the dot
    bool namedByTitle;          // files named "Title - Author" where the title is known, else after the book's file
    bool wholeRecords;          // needs dates, types, colours and positions read (ReadingOptions::wholeRecords)
    bool namesPictures;         // names each drawing's picture, which an export then writes beside its file
    int legacySettingsIndex;    // the integer that versions before named formats stored in the settings; -1: none
    bool rendersTemplates;      // what a template set renders (--template, the notes' templates): its files are theirs
    // Where not empty, an export writes one file of this name (extension included) holding every book it exports, in
    // the order exported, instead of a file a book.
    std::string_view wholeExportFile;
    std::unique_ptr<AnnotationWriter> (*makeWriter)(const WriterSettings& settings);
};

// Every format, in the order the window lists them; the first is the default.
std::span<const ExportFormatRow> ExportFormats();
const ExportFormatRow& FormatRow(ExportFormat format);
// Null when no format has that name (names are compared exactly) or index.
const ExportFormatRow* FindExportFormat(std::string_view name);
const ExportFormatRow* FindExportFormatByLegacyIndex(int index);
// The format whose files a template set renders.
const ExportFormatRow& TemplatesFormatRow();
// The names joined for a message or help text: "text, markdown, json, csv, readwise, html or clippings".
std::string ExportFormatNames(std::string_view lastJoint = " or ");
