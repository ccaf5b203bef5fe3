#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

// What a ledger file records of one exported bookmark.
struct LedgerEntry {
    std::string modified;
    std::string digest;
};
using LedgerBooks = std::map<std::string, std::map<std::string, LedgerEntry>>; // volume id -> bookmark id -> mark

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
