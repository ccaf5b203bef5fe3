#pragma once

#include "AnnotatedVolume.h"
#include "AnnotationWriter.h"
#include "ExportFormats.h"
#include "ExportLedger.h"
#include "ExportOptions.h"
#include "ProgressReporter.h"

#include <cstddef>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>

// The writer of the options' format, with their separator and byte-order mark where the format has them; Markdown
// rendered by the options' template set where they name one.
std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options);
// What the format shows decides how much of each record is read; telling what is new needs the dates.
ReadingOptions ReadingFor(const ExportOptions& options);

// One export into a folder, the same for one book, chosen highlights or many: the format's row and writer, looked up
// once; the reading the format needs; and the folder's ledger, in which every export records what it wrote, in its
// format, so that an export of only what is new later leaves that out.
class ExportRun {
public:
    // Reads the ledger of folder (empty: the current folder) for the options' format, and holds the folder's lock
    // until this goes. An export of only what is new cannot go on without it: ELedgerError (ELedgerBusy when another
    // export holds the folder), before anything is read or written. Any other export goes on without it: the ledger
    // is left as it is, and a warning through progress says that what is written is not recorded.
    ExportRun(const ExportOptions& options, const std::filesystem::path& folder, ProgressReporter& progress);

    const ExportFormatRow& Format() const { return m_format; }
    const AnnotationWriter& Writer() const { return *m_writer; }
    const ReadingOptions& Reading() const { return m_reading; }
    // A file of new highlights never replaces one: that holds what the ledger counts as exported.
    bool Replaces() const { return m_options.overrideExisting && !m_options.newOnly; }
    bool OnlyNew() const { return m_options.newOnly; }

    // Readies the volume for its file at target: with only what is new, leaves it the bookmarks that the ledger does
    // not know as they are; for a format that names drawings' pictures or the cover, writes them beside target
    // (EFileError when one cannot be written). The marks of what the file is to hold, to record once it is written;
    // nothing when only what is new was asked for and there is none.
    std::optional<LedgerMarks> Prepare(AnnotatedVolume& volume, const std::filesystem::path& target) const;
    // Prepare for a file of all the volume's bookmarks written at once (not only what is new): their marks are made on
    // a thread of their own while the file is written, since both only read the volume, which stays as it is until
    // they are taken.
    std::future<LedgerMarks> PrepareWhole(AnnotatedVolume& volume, const std::filesystem::path& target) const;
    void Record(const std::string& volumeId, LedgerMarks&& marks);
    // Saves what was recorded, if anything. When it cannot be saved the files written stay: for an export of only what
    // is new the message comes back for the outcome (and the progress is reset), any other warns through progress.
    std::string Save(std::size_t filesWritten, ProgressReporter& progress) const;

private:
    // The drawings' pictures and the cover, for a format that names them, beside target.
    void PlacePictures(AnnotatedVolume& volume, const std::filesystem::path& target) const;
    bool ShowsCover() const;

    const ExportOptions& m_options;
    ProgressReporter& m_progress;
    const ExportFormatRow& m_format;
    ReadingOptions m_reading;
    std::unique_ptr<AnnotationWriter> m_writer;
    std::optional<ExportLedger> m_ledger;
    bool m_recorded = false;
};
