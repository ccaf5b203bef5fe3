#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// One top-level entry of a note's YAML front matter: a key's line with its continuation lines (indented lines, block
// scalars, a sequence under the key), or a run of comment and blank lines that belongs to no key.
struct FrontMatterEntry {
    std::string key;  // empty for comments and blank lines
    std::string text; // with its line ends as they are
};

// The front matter a note starts with: a "---" line (after a byte order mark, if any), the entries, and the "---" or
// "..." line that closes it.
struct FrontMatter {
    std::string opening;
    std::vector<FrontMatterEntry> entries;
    std::string closing;

    std::string Text() const;
};

// The front matter at the start of note, and how many bytes of note it takes; nothing when note starts with none or it
// is never closed.
std::optional<FrontMatter> ReadFrontMatter(std::string_view note, std::size_t& length);

// The entries of YAML lines.
std::vector<FrontMatterEntry> SplitEntries(std::string_view yaml);

// The keys whose entries differ between two front matters' YAML lines, or that only one of them has.
std::set<std::string> KeysThatDiffer(std::string_view yaml, std::string_view otherYaml);

// What UpdateOwnedEntries did.
struct OwnedEntriesUpdate {
    bool changed = false;
    std::vector<std::string> kept; // keys whose value the user changed or took out: left as the user has them
};

// Gives each entry whose key owned names owned's text (in the note's line ends) while the note still holds the value
// the program last wrote there (its record, kWrittenValuesKey), and adds the owned entries the note lacks after the
// owned entry before them, else at the end; values are compared as YAML reads them, so a value written another way
// is no change. A value the user changed, or a key the user took out, stays as the user has it and is told in kept;
// so does, in a note that has no record yet, any value that differs from owned's.
// Every other entry stays byte for byte, and so do the entries of the keys left. The record is brought up to date
// with what the note then holds of the program's.
OwnedEntriesUpdate UpdateOwnedEntries(std::vector<FrontMatterEntry>& entries,
                                      const std::vector<FrontMatterEntry>& owned, bool crlf,
                                      const std::set<std::string>& left = {});
