#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

class ReaderConnection;

// The collections (the reader's shelves) that hold the book, each once, in the order of their names: a collection
// or a book's place on it that the reader deleted (_IsDeleted 'true') is no longer there. None where the database
// keeps no collections, or where their tables are damaged.
std::vector<std::string> ReadCollections(ReaderConnection& reader, const std::string& volumeId);
// The same for every book at once, by volume id: books on no collection are not named.
std::map<std::string, std::vector<std::string>, std::less<>> ReadEveryCollection(ReaderConnection& reader);

// The stars the reader gave the book, "1" to "5"; empty where it gave none (0, no row, no ratings table) or the table
// is damaged.
std::string ReadRating(ReaderConnection& reader, const std::string& volumeId);
