#pragma once

#include <string>

// Messages of the access layer separate their lines with a lone carriage return; a terminal shows line breaks.
std::string WithLineBreaks(std::string message);

// One field of a line of the list: control characters (line breaks, TABs, a terminal's escapes) become spaces, so
// that every volume stays one line of three fields and nothing reaches the terminal but text.
std::string OneLineField(std::string text);

// What the window's labels show: they decode UTF-8, and text that is not valid UTF-8 shows as empty.
std::string AsShown(std::string text);

// A volume id that names no bookmark in the source is a mistake to report, not a book to write an empty file for.
[[noreturn]] void RaiseUnknownVolume(const std::string& volumeId);
