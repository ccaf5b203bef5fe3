#pragma once

#include "SavedWords.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// How the saved words are printed.
enum class WordsFormat {
    // One line a word: the word, its language, its book's title, when it was saved and the book's sentence that holds
    // it, TAB between them.
    Text,
    Csv, // a header, then one row a word; cells a spreadsheet would evaluate get the CSV export's apostrophe
    // {"words": [{"word", "language", "book", "volumeId", "created", "length", "sentence"}, ...]}, members only where
    // known
    Json,
    Anki, // Anki's plain-text import (AnkiNotes.h)
};

// The format of that name ("text", "csv", "json", "anki"); nothing for any other.
std::optional<WordsFormat> WordsFormatNamed(std::string_view name);

std::string WordsText(std::span<const SavedWord> words);
std::string WordsCsv(std::span<const SavedWord> words);
std::string WordsJson(std::span<const SavedWord> words);
std::string WordsInFormat(std::span<const SavedWord> words, WordsFormat format);
