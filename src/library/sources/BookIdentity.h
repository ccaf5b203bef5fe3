#pragma once

#include <string>
#include <string_view>

// What tells one book from another across readers: its ISBN where it has one, else its title and author folded (letter
// case, accents, punctuation and spacing ignored): "Le Petit Prince" by "Antoine de Saint-Exupéry" on one reader is
// "le petit prince" by "ANTOINE DE SAINT EXUPERY" on another.
std::string FoldedTitleAndAuthor(std::string_view title, std::string_view author);
// The digits of an ISBN-10 or ISBN-13 (hyphens, spaces and an "isbn:" or "urn:isbn:" prefix dropped); empty when the
// identifier is none.
std::string IsbnDigits(std::string_view identifier);
