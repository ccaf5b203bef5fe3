#pragma once

#include "AnnotatedVolume.h"

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// The ledger of a results folder is damaged, or was written by a newer version: it is left as it is.
class ELedgerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a ledger knows of one exported bookmark: enough to tell that it changed since.
struct LedgerMark {
    std::string bookmarkId;
    std::string modified; // DateModified, or DateCreated where that is empty
    std::string digest;   // SHA-256 of its text and note, in hex: firmware that keeps the date still changes these
};
LedgerMark MarkOf(const AnnotatedBookmark& bookmark);

// The highlights already exported into one results folder, kept there in the hidden file kFileName: for each book
// its bookmarks by id, each with the mark it had when it was last exported there.
class ExportLedger {
public:
    static constexpr const char* kFileName = ".marvik-ledger.json";
    static constexpr int kVersion = 1;

    // The ledger of folder; empty when the folder has none. Raises ELedgerError when its file cannot be read, is
    // damaged, or is of a newer version.
    static ExportLedger Load(const std::filesystem::path& folder);

    // Leaves in the volume only the bookmarks that are new to the folder or changed since they were exported there,
    // in their order, and returns their marks, to be recorded once they are written. A bookmark that the reader
    // deleted after it was exported is left out too.
    std::vector<LedgerMark> KeepNew(AnnotatedVolume& volume) const;
    void Record(const std::string& volumeId, const std::vector<LedgerMark>& marks);
    // Replaces the file at once (ReplaceFile). Raises EFileError.
    void Save() const;

private:
    explicit ExportLedger(std::filesystem::path file) : m_file(std::move(file)) {}

    struct Entry {
        std::string modified;
        std::string digest;
    };
    std::filesystem::path m_file;
    std::map<std::string, std::map<std::string, Entry>> m_books; // volume id -> bookmark id -> mark
};
