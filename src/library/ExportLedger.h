#pragma once

#include "AnnotatedVolume.h"
#include "ExportLedgerFile.h"
#include "ExportLedgerLock.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// The ledger of a results folder is damaged, was written by a newer version, or is in use by another export: it is
// left as it is.
class ELedgerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The highlights already exported into one results folder, kept there in the hidden file kFileName: for each book
// its bookmarks by id, each with the mark it had when it was last exported there. While it lives it holds the
// folder's lock (ExportLedgerLock.h), so that what it read is still the truth when it is saved.
class ExportLedger {
public:
    static constexpr const char* kFileName = ".marvik-ledger.json";
    static constexpr std::uint64_t kVersion = 1;

    // The ledger of folder, once no other export holds the folder; empty when the folder has none. Raises
    // ELedgerError when another export holds the folder longer than ExportLedgerLock::kPatience, or when its file is
    // not a regular file, cannot be read, is damaged, or is of another version (ReadLedgerFile).
    static ExportLedger Load(const std::filesystem::path& folder);

    // Leaves in the volume only the bookmarks that are new to the folder or changed since they were exported there,
    // in their order, and returns their marks, to be recorded once they are written. A bookmark that the reader
    // deleted after it was exported is left out too.
    LedgerMarks KeepNew(AnnotatedVolume& volume) const;
    void Record(const std::string& volumeId, LedgerMarks&& marks);
    const std::filesystem::path& File() const { return m_file; }
    // Replaces the file at once (ReplaceFile). Raises EFileError.
    void Save() const;

private:
    ExportLedger(std::filesystem::path file, ExportLedgerLock lock)
        : m_file(std::move(file)), m_lock(std::move(lock)) {}

    std::filesystem::path m_file;
    ExportLedgerLock m_lock;
    LedgerBooks m_books;
};
