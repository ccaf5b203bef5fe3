#include "FolderLedger.h"

namespace {

// The files written, as the messages about the ledger name them.
std::string FilesWritten(std::size_t files) {
    return files == 1 ? std::string("The file written is") : "The " + std::to_string(files) + " files written are";
}

} // namespace

FolderLedger::FolderLedger(const ExportOptions& options, const std::filesystem::path& folder,
                           ProgressReporter& progress)
    : m_onlyNew(options.newOnly) {
    const std::filesystem::path where = folder.empty() ? "." : folder;
    if (m_onlyNew) {
        m_ledger.emplace(ExportLedger::Load(where, options.format));
        return;
    }
    // The files asked for matter more than their record: they are written all the same.
    try {
        m_ledger.emplace(ExportLedger::Load(where, options.format));
    } catch (const ELedgerBusy&) {
        progress.Warn("What this export writes into \"" + where.string() +
                      "\" is not recorded in its ledger of exported highlights: another export there holds it.");
    } catch (const ELedgerError& error) {
        progress.Warn(std::string(error.what()) + " What this export writes is not recorded in it.");
    }
}

LedgerMarks FolderLedger::Marks(AnnotatedVolume& volume) const {
    if (!m_ledger)
        return {};
    return m_onlyNew ? m_ledger->KeepNew(volume) : m_ledger->MarksToRecord(volume);
}

void FolderLedger::Record(const std::string& volumeId, LedgerMarks&& marks) {
    if (!m_ledger || marks.marks.empty())
        return;
    m_ledger->Record(volumeId, std::move(marks));
    m_recorded = true;
}

void FolderLedger::Save(const ExportAllResult& result, ProgressReporter& progress) const {
    if (!m_recorded)
        return;
    try {
        m_ledger->Save();
    } catch (const std::exception& error) {
        const std::string message = LedgerNamed(m_ledger->File()) + " could not be saved (" + error.what() + "). " +
                                    FilesWritten(result.written.size()) +
                                    " not recorded in it: the next export of new highlights writes their highlights "
                                    "again.";
        if (!m_onlyNew) {
            progress.Warn(message);
            return;
        }
        progress.ResetProgress();
        progress.SetStatus("");
        throw ELedgerNotSaved(message, result);
    }
}
