#pragma once

#include <string>
#include <string_view>

// A name (a collection's) as one tag of a note app: tags end at white space and at most punctuation, so letters
// (any script), digits and "_" stay and every other run of characters becomes one "-", none at either end (a "/"
// too, which would nest the tag).
// A name of digits alone gets a "_" in front, as a tag of digits alone is no tag. Empty where nothing of the name
// can stand in a tag.
std::string NoteTag(std::string_view name);
