#pragma once

#include <string>
#include <string_view>

// Text from a book made Markdown that reads as that text and nothing else: the characters that could start or form
// Markdown syntax, or the marks, comments, links, tags and block ids of note-taking programs, are escaped with
// backslashes.
namespace markdown {

// Whose Markdown the text is read by. CommonMark's escapes suit Obsidian, which adds "$" for formulas; Logseq reads
// "\\[" and "\\(" as formulas, so there only the brackets that close a link or a reference are escaped, and "$", "{"
// and "}" (formulas, macros) are escaped too.
enum class Dialect : char { CommonMark, Obsidian, Logseq };

// The text as one line: control characters, TABs and line breaks too, as spaces, white space (Unicode spaces too) off
// its ends, so that it can stand in a heading or between emphasis marks.
void AppendInline(std::string& out, std::string_view text, Dialect dialect = Dialect::CommonMark);

// The text as lines of a block, each after prefix, with its line end: each line's ends trimmed, runs of empty lines
// as one line of the prefix alone (without its trailing spaces), none at the start or end. At the start of each line
// the marks of list items, thematic breaks, setext underlines and ordered list items are escaped too.
void AppendBlock(std::string& out, std::string_view text, std::string_view prefix,
                 Dialect dialect = Dialect::CommonMark);

// Whether the text holds nothing but spaces and control characters.
bool IsBlank(std::string_view text);

} // namespace markdown
