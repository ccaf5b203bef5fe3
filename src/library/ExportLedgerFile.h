#pragma once

#include "TextStore.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What a ledger knows of one exported bookmark: enough to tell that it changed since. Its texts are views into the
// store of what holds it.
struct LedgerMark {
    std::string_view bookmarkId;
    std::string_view modified; // DateModified, or DateCreated where that is empty
    std::string_view digest;   // SHA-256 of its text and note, in hex: firmware that keeps the date still changes these
};

// Marks with the store of their texts: a ledger of a million highlights holds three million of them.
struct LedgerMarks {
    TextStore texts;
    std::vector<LedgerMark> marks;
};

// What a ledger holds: for each volume id its marks, one for each bookmark id, in byte order of the ids.
struct LedgerBooks {
    TextStore texts;
    std::map<std::string, std::vector<LedgerMark>> books;

    // The volume's mark of the bookmark; null when it has none.
    const LedgerMark* Find(const std::string& volumeId, std::string_view bookmarkId) const;
    // Records the marks of the volume, replacing those of the same bookmarks.
    void Record(const std::string& volumeId, LedgerMarks&& marks);
};

// Puts marks in byte order of their ids and keeps the last of each id.
void SettleMarks(std::vector<LedgerMark>& marks);

// The largest ledger file that is read. A million highlights take about 180 MB, and reading them about twice that in
// memory; anything past this is no ledger of this program.
constexpr std::uintmax_t kMaxLedgerBytes = std::uintmax_t{512} << 20;

// How deep a ledger nests at most: its own shape is four objects deep, the rest is room for members a later
// version may add. Parsing stops there, so that a file of brackets costs nothing.
constexpr std::size_t kMaxLedgerDepth = 32;

// "The ledger of exported highlights "FILE"", the start of every message about it.
std::string LedgerNamed(const std::filesystem::path& file);

// The books the ledger file records; none when there is no such file. It is only read, never followed through a
// symbolic link, and nothing but a regular file is opened. Raises ELedgerError, naming the file, when it is something
// else, is larger than kMaxLedgerBytes, cannot be read, is damaged, or is not of the given version.
LedgerBooks ReadLedgerFile(const std::filesystem::path& file, std::uint64_t version);
