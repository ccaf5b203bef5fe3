#pragma once

#include "AnnotationExport.h"
#include "ExportLedger.h"
#include "ExportOptions.h"
#include "ProgressReporter.h"

#include <filesystem>
#include <optional>
#include <string>

// The ledger of the folder an export writes into, as that export uses it: every export into a folder records there
// what it wrote, in its format, so that an export of only what is new later leaves that out; such an export reads
// from it what is new.
class FolderLedger {
public:
    // Reads the ledger of folder (empty: the current folder) for the options' format, and holds the folder's lock
    // until this goes. An export of only what is new cannot go on without it: ELedgerError (ELedgerBusy when another
    // export holds the folder), before anything is read or written. Any other export goes on without it: the ledger
    // is left as it is, and a warning through progress says that what is written is not recorded.
    FolderLedger(const ExportOptions& options, const std::filesystem::path& folder, ProgressReporter& progress);

    bool OnlyNew() const { return m_onlyNew; }
    // The marks of what the volume's file is to hold, to record once it is written. With only what is new, the volume
    // is first left with the bookmarks that the ledger does not know as they are, and no marks mean nothing new.
    LedgerMarks Marks(AnnotatedVolume& volume) const;
    void Record(const std::string& volumeId, LedgerMarks&& marks);
    // Saves what was recorded, if anything. When it cannot be saved the files written stay: an export of only what is
    // new raises ELedgerNotSaved carrying result, any other warns through progress.
    void Save(const ExportAllResult& result, ProgressReporter& progress) const;

private:
    std::optional<ExportLedger> m_ledger;
    bool m_onlyNew;
    bool m_recorded = false;
};
