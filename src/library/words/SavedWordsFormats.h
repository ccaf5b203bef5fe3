#pragma once

#include "SavedWords.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// How the saved words are printed.
enum class WordsFormat {
    Text, // one line a word: the word, its language, its book's title and when it was saved, TAB between them
    Csv,  // a header, then one row a word; cells a spreadsheet would evaluate get the CSV export's apostrophe
    Json, // {"words": [{"word", "language", "book", "volumeId", "created", "length"}, ...]}, members only where known
    Anki, // Anki's plain-text import (AnkiNotes.h)
};

// The format of that name ("text", "csv", "json", "anki"); nothing for any other.
std::optional<WordsFormat> WordsFormatNamed(std::string_view name);

std::string WordsText(std::span<const SavedWord> words);
std::string WordsCsv(std::span<const SavedWord> words);
std::string WordsJson(std::span<const SavedWord> words);
std::string WordsInFormat(std::span<const SavedWord> words, WordsFormat format);
