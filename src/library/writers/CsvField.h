#pragma once

#include <string>
#include <string_view>

// One CSV field appended to bytes. It is quoted only where a reader would split, join or trim it otherwise. A field
// that a spreadsheet would take for a formula (it starts with "=", "+", "-", "@", a TAB or a CR), or that starts with
// the apostrophe marking such fields, gets one apostrophe in front: a spreadsheet shows the text, and a reader gets
// the stored text back by taking one leading apostrophe off any field that has one.
void AppendCsvField(std::string& bytes, std::string_view field);

// The same without the apostrophe: for files that an importer reads, never a spreadsheet, the field holds the exact
// text.
void AppendExactCsvField(std::string& bytes, std::string_view field);
