#pragma once

#include "ProgressReporter.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A word the reader looked up in a dictionary and saved ("My Words"), as the WordList table keeps it.
struct SavedWord {
    std::string text;       // the word; cut to kLongestSavedWord characters and "…" where it is longer
    std::size_t length = 0; // the stored word's length in characters, where it was cut; else 0
    std::string language;   // the dictionary's language, from its suffix ("-de" gives "de"); empty for the default
    std::string volumeId;   // the book it was looked up in; empty where none is stored
    std::string bookTitle;  // that book's title, where the database has one
    std::string created;    // DateCreated as stored
    std::string sentence;   // a sentence of the book that holds the word, where the book was at hand (BookSentences.h)
};

// No word of a dictionary is this long; a longer "word" is someone's paste, and the lists keep them readable.
inline constexpr std::size_t kLongestSavedWord = 100;

// The saved words of the reader's database, each once (the first saved), oldest first; none where the database has
// no WordList (older firmware). Nothing when path names no file. The database is read, never written; its errors go
// on to the caller as ESQLiteException.
std::optional<std::vector<SavedWord>> ReadSavedWords(const std::filesystem::path& database, ProgressReporter& progress);

// The word cut to at most longest characters (code points; a byte that is no UTF-8 counts as one) and "…"; its
// length in characters where it was cut, else 0.
std::size_t CutWord(std::string& word, std::size_t longest = kLongestSavedWord);
