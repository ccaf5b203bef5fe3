#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSQLiteCursor;

// The current row of rows as one JSON object of its columns named names (in the statement's order), each value in
// its storage class: numbers as numbers, text as a string, a blob as {"blob": hex}, text that is no UTF-8 as
// {"bytes": hex}. NULL columns are left out: a missing member reads as NULL. The same row gives the same bytes, those
// the JSON library's dump would give. Written into json, which keeps its room from row to row.
void StoredRowJson(std::string& json, TSQLiteCursor& rows, const std::vector<std::string>& names,
                   std::uint32_t firstColumn = 0);
