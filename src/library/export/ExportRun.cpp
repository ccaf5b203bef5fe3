#include "ExportRun.h"

#include "ExportCover.h"
#include "MarkupPictures.h"
#include "TemplateAnnotationWriter.h"

namespace {

// The files written, as the messages about the ledger name them.
std::string FilesWritten(std::size_t files) {
    return files == 1 ? std::string("The file written is") : "The " + std::to_string(files) + " files written are";
}

} // namespace

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    const ExportFormatRow& format = FormatRow(options.format);
    if (options.templates && format.rendersTemplates)
        return std::make_unique<TemplateAnnotationWriter>(options.templates);
    return format.makeWriter({.separator = options.separator, .setBom = options.setBom});
}

ReadingOptions ReadingFor(const ExportOptions& options) {
    ReadingOptions reading = options.reading;
    reading.wholeRecords = FormatRow(options.format).wholeRecords || options.newOnly;
    return reading;
}

ExportRun::ExportRun(const ExportOptions& options, const std::filesystem::path& folder, ProgressReporter& progress)
    : m_options(options), m_progress(progress), m_format(FormatRow(options.format)), m_reading(ReadingFor(options)),
      m_writer(MakeAnnotationWriter(options)) {
    const std::filesystem::path where = folder.empty() ? "." : folder;
    if (options.newOnly) {
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

void ExportRun::PlacePictures(AnnotatedVolume& volume, const std::filesystem::path& target) const {
    // Only a format that names the pictures gets them: the text file reads the whole records to tell what is new, and
    // Readwise's CSV, the HTML page and the clippings show none.
    if (m_format.namesPictures && m_options.markupRenderer)
        PlaceMarkupPictures(volume, *m_options.markupRenderer, target);
    if (ShowsCover())
        PlaceExportCover(volume, m_options.coverVolume, target, m_progress);
}

std::optional<LedgerMarks> ExportRun::Prepare(AnnotatedVolume& volume, const std::filesystem::path& target) const {
    LedgerMarks marks;
    if (m_ledger)
        marks = m_options.newOnly ? m_ledger->KeepNew(volume) : m_ledger->MarksToRecord(volume);
    if (m_options.newOnly && marks.marks.empty())
        return std::nullopt;
    PlacePictures(volume, target);
    return marks;
}

std::future<LedgerMarks> ExportRun::PrepareWhole(AnnotatedVolume& volume, const std::filesystem::path& target) const {
    PlacePictures(volume, target);
    if (!m_ledger) {
        std::promise<LedgerMarks> none;
        none.set_value({});
        return none.get_future();
    }
    const AnnotatedVolume& unchanged = volume;
    return std::async(std::launch::async,
                      [&ledger = *m_ledger, &unchanged] { return ledger.MarksToRecord(unchanged); });
}

bool ExportRun::ShowsCover() const {
    if (m_options.coverVolume.empty())
        return false;
    const ExportFormat format = m_format.format;
    return format == ExportFormat::Json || format == ExportFormat::Html ||
           (m_format.rendersTemplates && m_options.templates);
}

void ExportRun::Record(const std::string& volumeId, LedgerMarks&& marks) {
    if (!m_ledger || marks.marks.empty())
        return;
    m_ledger->Record(volumeId, std::move(marks));
    m_recorded = true;
}

std::string ExportRun::Save(std::size_t filesWritten, ProgressReporter& progress) const {
    if (!m_recorded)
        return {};
    try {
        m_ledger->Save();
    } catch (const std::exception& error) {
        const std::string message = LedgerNamed(m_ledger->File()) + " could not be saved (" + error.what() + "). " +
                                    FilesWritten(filesWritten) +
                                    " not recorded in it: the next export of new highlights writes their highlights "
                                    "again.";
        if (!m_options.newOnly) {
            progress.Warn(message);
            return {};
        }
        progress.ResetProgress();
        progress.SetStatus("");
        return message;
    }
    return {};
}
