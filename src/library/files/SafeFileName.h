#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest file name, in bytes, that an export gives: well within what Linux (255 bytes), Windows and exFAT (255
// UTF-16 units) take, so that the files can be copied onto the reader's own drive or any other.
constexpr std::size_t kMostFileNameBytes = 200;

// What numbering adds to a name before its extension: "_" and four digits.
constexpr std::size_t kNumberBytes = 5;

// One file name made of text from the reader's database and a suffix of the program's own (".annotations.txt",
// ".md") that Linux, Windows, exFAT and note-taking programs all take: NUL, the other control bytes and
// / \ : ? * " < > | in the text become "_"; the text is cut before a character so that the name stays within
// kMostFileNameBytes even once numbered; dots and spaces at the name's end become "_"; a name Windows keeps for a
// device (CON, PRN, AUX, NUL, COM0-9, LPT0-9, in any letter case, also with an extension) gets "_" in front, and so
// does a name of dots alone. A name that needs none of this stays as it is, byte for byte.
std::string SafeFileName(std::string_view text, std::string_view suffix);

// Whether text is one name within a folder as it stands: not empty, no "/" or NUL, and not "." or "..".
bool IsPlainFileName(std::string_view text);
