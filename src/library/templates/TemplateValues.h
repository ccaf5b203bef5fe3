#pragma once

#include "MarkdownText.h"

#include <kainjow/mustache.hpp>

#include <string>
#include <string_view>

// What a variable holds, which decides how it is made safe where it stands.
enum class ValueKind : char {
    Text = 't',     // text of the book that may hold line breaks: a highlight, a note
    Line = 'l',     // text of one line: a title, a chapter, a colour
    Number = 'n',   // a number as stored
    Flag = 'f',     // "true", or nothing
    Markdown = 'm', // Markdown already: a link's address, a block id, a line of facts
    Place = 'p',    // where the highlights go in the book template, or the block in the deleted mark
};

// Where a rendered template goes.
enum class TemplateOutput {
    Markdown, // a note's text: {{x}} escaped as the Markdown export escapes
    Yaml,     // its front matter: {{x}} a whole YAML value, texts quoted, numbers bare where they are plain numbers
    Plain,    // the note's name: as stored, made a safe file name later
};

// A variable's value: false where the text is blank, so that sections skip it, else the text marked with its kind for
// TemplateEscape. {{{x}}} gives the text as stored (StripValueMarks takes the mark off).
kainjow::mustache::data TemplateValue(ValueKind kind, std::string_view text);

// What {{x}} gives of a value where it goes; Markdown in the dialect of the note app the set writes for.
std::string TemplateEscape(const std::string& value, TemplateOutput output,
                           markdown::Dialect dialect = markdown::Dialect::CommonMark);

// The marks of the values that {{{x}}} left in a rendered text taken off, their texts as given. After
// StripStandaloneMarks: a value's text may hold what that takes off.
void StripValueMarks(std::string& rendered);

// The mark a Place value leaves where it stands, for the text to be split there.
std::string_view PlaceMark();
