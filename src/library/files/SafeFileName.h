#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest file name, in bytes, that Linux file systems take (NAME_MAX).
constexpr std::size_t kMostFileNameBytes = 255;

// What numbering adds to a name before its extension: "_" and four digits.
constexpr std::size_t kNumberBytes = 5;

// One file name made of text from the reader's database and a suffix of the program's own (".annotations.txt",
// ".md"): NUL, the other control bytes and "/" in the text become "_", and the text is cut before a character so
// that the name stays within kMostFileNameBytes even once numbered; a name of dots alone gets "_" in front. A name
// that needs none of this stays as it is, byte for byte.
std::string SafeFileName(std::string_view text, std::string_view suffix);

// Whether text is one name within a folder as it stands: not empty, no "/" or NUL, and not "." or "..".
bool IsPlainFileName(std::string_view text);
