#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

// A front matter entry's value as YAML reads it, so that two spellings of one value (quoted or plain, a comment after
// it, a mapping's keys in another order) are one value: a properties editor that saves the same values again has not
// edited them. Nothing when the entry is no YAML mapping of one key.
std::optional<std::string> EntryValue(std::string_view entry);

// The text of an entry whose value is a scalar; nothing for any other entry.
std::optional<std::string> EntryScalar(std::string_view entry);

// A value's short hash, for the record of what the program wrote.
std::string ValueHash(std::string_view value);

// The record of what the program last wrote into a note's front matter: each key it wrote, with its value's hash. A
// key whose value no longer has that hash holds the user's value. It is one front matter line of the program's own:
//   marvik-written: "title=5f2c9a01b3e7 status=e97ea353913b"
using WrittenValues = std::map<std::string, std::string>;

// The record an entry of the record's key holds; empty when it holds none.
WrittenValues ParseWrittenValues(std::string_view entry);

// The record's front matter line, without line end.
std::string WrittenValuesLine(const WrittenValues& written);
