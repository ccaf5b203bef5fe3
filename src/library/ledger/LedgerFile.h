#pragma once

#include "LedgerMarks.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The largest ledger file that is read. A million highlights of one format take about 180 MB, and about 110 MB in
// memory once read; anything past this is no ledger of this program.
constexpr std::uintmax_t kMaxLedgerBytes = std::uintmax_t{512} << 20;

// How deep a ledger nests at most: its own shape is five objects deep, the rest is room for members a later version
// may add. Parsing stops there, so that a file of brackets costs nothing.
constexpr std::size_t kMaxLedgerDepth = 32;

// The version of the ledgers written now. Version 1 told no formats apart.
constexpr std::uint64_t kLedgerVersion = 2;

// "The ledger of exported highlights "FILE"", the start of every message about it.
std::string LedgerNamed(const std::filesystem::path& file);

// What the ledger file holds; nothing when there is no such file. Every version up to kLedgerVersion is read; the
// books of version 1 go to everyFormat. The file is only read, never followed through a symbolic link, and nothing
// but a regular file is opened. Raises ELedgerError, naming the file, when it is something else, is larger than
// kMaxLedgerBytes, cannot be read, is damaged, or is of a newer version.
LedgerContents ReadLedgerFile(const std::filesystem::path& file);

// Replaces the file at once (ReplaceFile) with contents, as version kLedgerVersion. Raises EFileError.
void WriteLedgerFile(const std::filesystem::path& file, const LedgerContents& contents);
