#pragma once

#include "AnnotatedVolume.h"
#include "ELedgerError.h"
#include "ExportFormats.h"
#include "WritingFolderLock.h"
#include "LedgerFile.h"

#include <filesystem>
#include <string>
#include <vector>

// What has been exported into one results folder, per format, kept there in the hidden file kFileName: for each book
// its bookmarks by id, each with the mark it had when it was last exported there in that format. Marks from before
// formats were told apart count for every format. While it lives it holds the folder's lock (WritingFolderLock.h), so
// that what it read is still the truth when it is saved.
class ExportLedger {
public:
    static constexpr const char* kFileName = ".marvik-ledger.json";
    static constexpr std::uint64_t kVersion = kLedgerVersion;

    // The ledger of folder for exports in format, once no other export holds the folder; empty when the folder has
    // none. Raises ELedgerBusy when another export holds the folder longer than WritingFolderLock::kPatience, and
    // ELedgerError when its file is not a regular file, cannot be read, is damaged, or is of a newer version
    // (ReadLedgerFile).
    static ExportLedger Load(const std::filesystem::path& folder, ExportFormat format);

    // Leaves in the volume only the bookmarks that are new to the folder in this format or changed since they were
    // exported there in it, in their order, and returns their marks, to be recorded once they are written. A bookmark
    // that the reader deleted after it was exported is left out too.
    LedgerMarks KeepNew(AnnotatedVolume& volume) const;
    // The marks that a file of all the volume's bookmarks adds to the ledger: those of the bookmarks it does not know
    // as they are now.
    LedgerMarks MarksToRecord(const AnnotatedVolume& volume) const;
    void Record(const std::string& volumeId, LedgerMarks&& marks);
    const std::filesystem::path& File() const { return m_file; }
    // Replaces the file at once (ReplaceFile), as version kVersion. Raises EFileError.
    void Save() const;

private:
    ExportLedger(std::filesystem::path file, WritingFolderLock lock, ExportFormat format);

    template <typename Keep> LedgerMarks Marks(const AnnotatedVolume& volume, const Keep& keep) const;

    std::filesystem::path m_file;
    WritingFolderLock m_lock;
    std::string m_format; // its name, the key of its books
    // Whether a changed date alone makes a bookmark changed: only the formats that show more than its text and note
    // (the whole record) can differ where those did not.
    bool m_datesCount;
    LedgerContents m_contents;
};
