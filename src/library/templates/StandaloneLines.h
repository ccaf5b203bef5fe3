#pragma once

#include <string>
#include <string_view>

// The template with each line that holds nothing but one section, inverted section, closing, comment or delimiter
// tag (and spaces or TABs) joined to the next: the tag stays, its line's white space and line end go, and a
// StandaloneMark follows it. Mustache removes such lines whatever the section renders; the engine removes them only
// where the section is rendered, and leaves an empty line where it is skipped. The mark keeps the engine from removing
// a line the template means to be empty after such a tag; StripStandaloneMarks takes it off the rendered text.
std::string JoinStandaloneLines(std::string_view text);

void StripStandaloneMarks(std::string& rendered);
