#pragma once

#include "SavedWords.h"

#include <span>
#include <string>
#include <string_view>

// The deck the cards of the saved words go into.
inline constexpr std::string_view kSavedWordsDeck = "Saved words";

// The saved words as a file for Anki's import of text files: its header lines (#separator:tab, #html:false, #deck:...,
// #tags column:3), then one card a word: the word on the front, its book's title, dictionary language and the book's
// sentence that holds it (where found) on the back, the book's title as its tag. The note type is left to Anki (its
// first two fields, whatever their names in the user's language). Anki splits tags at white space, so the tag has "_"
// for each run of it; fields hold no TAB or line break, and one that starts with "#" (which Anki takes for a comment)
// or holds a double quote is quoted.
std::string AnkiNotes(std::span<const SavedWord> words);

// A title as one Anki tag: each run of white space and control characters one "_", none at either end.
std::string AnkiTag(std::string_view title);
