#pragma once

#include <string>
#include <string_view>
#include <vector>

// A note keeps the line ends it has: a note written on Windows stays CRLF, and what a sync adds to it gets CRLF too.
// Rendered text always comes with LF.

// The lines of text, each with its line end; the last one may have none.
std::vector<std::string_view> SplitLines(std::string_view text);

// A line without its "\n" or "\r\n".
std::string_view WithoutLineEnd(std::string_view line);

// text with every "\r\n" as "\n": what hashes and comparisons see, whatever the note's line ends.
std::string ToLf(std::string_view text);

// LF text in a note's line ends: each "\n" as "\r\n" when crlf.
std::string InLineEnds(std::string_view lfText, bool crlf);

// Whether a note's first line ends with "\r\n".
bool UsesCrlf(std::string_view text);
