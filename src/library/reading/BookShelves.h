#pragma once

#include <string>
#include <vector>

class ReaderConnection;

// The collections (the reader's shelves) that hold the book, each once, in the order of their names: a collection
// or a book's place on it that the reader deleted (_IsDeleted 'true') is no longer there. None where the database
// keeps no collections, or where their tables are damaged.
std::vector<std::string> ReadCollections(ReaderConnection& reader, const std::string& volumeId);

// The stars the reader gave the book, "1" to "5"; empty where it gave none (0, no row, no ratings table) or the table
// is damaged.
std::string ReadRating(ReaderConnection& reader, const std::string& volumeId);
