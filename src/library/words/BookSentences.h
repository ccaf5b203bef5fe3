#pragma once

#include "SavedWords.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// The sentence of text in which word (folded as the search folds it: case and accents ignored) first stands as a
// word of its own, else as part of one (a line break ends a sentence too); runs of spaces made one, and cut to about
// longest bytes around the word with "…" where it is longer. Empty where the word does not occur.
std::string SentenceAround(std::string_view text, std::string_view word, std::size_t longest = 300);

// Why saved words are left without a sentence, counted.
struct SentenceTally {
    std::size_t found = 0;
    std::size_t bookNotAtHand = 0;  // no book, a store book, a database not on the reader, or the file is not there
    std::size_t bookUnreadable = 0; // no EPUB, or one refused (EEpubError)
    std::size_t notInBook = 0;
    std::size_t wordCut = 0; // longer than any word (CutWord): no sentence holds it

    std::size_t Lacking() const { return bookNotAtHand + bookUnreadable + notInBook + wordCut; }
    // "3 saved words have no sentence from their book: 2 books not at hand, 1 not found in its book"; empty where
    // none lacks one.
    std::string Summary() const;
};

// Gives each word the sentence of its book where the book's EPUB is on the reader's volume (empty volumeRoot: no
// book is at hand). Each book is read once, its text within bounds.
SentenceTally AddBookSentences(std::vector<SavedWord>& words, const std::filesystem::path& volumeRoot);
