#pragma once

#include "AnnotatedVolume.h"
#include "TemplateNames.h"
#include "TemplateValues.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// What a book's variables are made of.
struct BookInput {
    const AnnotatedVolume& volume;
    std::string_view exportDate;
};

// What a highlight's variables are made of.
struct HighlightInput {
    const AnnotatedVolume& volume;
    const AnnotatedBookmark& bookmark;
    bool firstOfChapter;   // its part is not the one of the bookmark before it
    bool colorsSayNothing; // every colour of the book is grey (EveryColorIsGrey)
};

// What the variables of one item of the book's list of chapters are made of.
struct ChapterInput {
    const PartFacts& part;
    std::size_t bookmarks; // in that chapter
};

// What the variables of one item of the book's list of collections are made of.
struct CollectionInput {
    const std::string& name;
};

// One variable of the templates: its name, its kind and how its text is found. Every name is listed with its meaning
// in docs/templates.md.
template <class Input> struct TemplateVariable {
    std::string_view name;
    ValueKind kind;
    std::string (*text)(const Input&);
};

std::span<const TemplateVariable<BookInput>> BookVariables();
std::span<const TemplateVariable<HighlightInput>> HighlightVariables();
std::span<const TemplateVariable<ChapterInput>> ChapterVariables();
std::span<const TemplateVariable<CollectionInput>> CollectionVariables();

// The names that are no value of a book or a highlight.
namespace template_names {
inline constexpr std::string_view kChapters = "chapters";       // the book's list of chapters that hold bookmarks
inline constexpr std::string_view kCollections = "collections"; // the book's list of the reader's collections
inline constexpr std::string_view kHighlights = "highlights";   // where the book template puts the highlights
inline constexpr std::string_view kBlock = "block";             // where the deleted mark puts the highlight's block
// Sections that render what they hold and shape its lines: every line a block quote's ("> "), or every line after
// the first indented like the first and two spaces more (an outline block's lines).
inline constexpr std::string_view kQuote = "quote";
inline constexpr std::string_view kIndent = "indent";
} // namespace template_names

// The values of the book (with its lists of chapters and collections, and the two sections that shape lines), of one
// highlight, as a template renders them: those named in used alone, the others are never looked at.

kainjow::mustache::data BookData(const BookInput& input, const TemplateNames& used);
kainjow::mustache::data HighlightData(const HighlightInput& input, const TemplateNames& used);
