#pragma once

#include "MarkdownText.h"
#include "TemplateNames.h"

#include <kainjow/mustache.hpp>

#include <cstddef>
#include <string>

// The pieces of a template set, each with its own variables.
enum class TemplatePiece {
    Name,        // the note's name: the book's variables
    FrontMatter, // the book template's front matter: the book's variables
    Body,        // the rest of the book template: the book's variables and {{{highlights}}}
    Highlight,   // the book's and the highlight's variables
    Deleted,     // the deleted mark: {{{block}}} alone
};

// Where a piece's text comes from, for messages: the file's name as the user knows it, and the line of the file its
// text starts on.
struct TemplateOrigin {
    std::string file;
    std::size_t firstLine = 1;
};

// The piece parsed and checked before anything is rendered: sections nested too deep (found before the engine parses
// them), a syntax error, a variable the piece does not know (also one that a list's section brings in, used outside
// it), a list's section inside itself, a partial, a section of a value that is none, and a {{{highlights}}} or
// {{{block}}} that is missing, doubled or inside a section raise ETemplateError naming the file, the line and the
// variable. The template comes back with the escape of its piece set, its standalone tag lines joined
// (StandaloneLines.h), Markdown escaped in the dialect given. The names of the values it uses are added to used.
kainjow::mustache::mustache CheckedTemplate(const std::string& text, TemplatePiece piece, const TemplateOrigin& origin,
                                            TemplateNames& used,
                                            markdown::Dialect dialect = markdown::Dialect::CommonMark);
