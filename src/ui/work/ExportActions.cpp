#include "ExportActions.h"

#include "BackgroundRunner.h"
#include "BookFile.h"
#include "ELedgerError.h"
#include "FailedBooks.h"
#include "MessageBoxes.h"
#include "OptionsTab.h"
#include "ProgressRelay.h"
#include "ShellOpen.h"
#include "StatusLine.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QStringList>
#include <QWidget>

#include <stdexcept>
#include <system_error>

namespace {

constexpr QLatin1String kFailed("export failed");
constexpr QLatin1String kNoDatabase("nothing exported: the database file is gone");

// The files are there even when their ledger could not be saved: the outcome tells them, the error comes last.
void ThrowWhenLedgerNotSaved(const std::string& ledgerNotSaved) {
    if (!ledgerNotSaved.empty())
        throw ELedgerError(ledgerNotSaved);
}

} // namespace

ExportActions::ExportActions(QWidget& window, BackgroundRunner& runner, WindowProgress& progress, StatusLine& status,
                             const OptionsTab& options, std::function<QString()> resultsFolder)
    : QObject(&window), m_window(window), m_runner(runner), m_progress(progress), m_status(status), m_options(options),
      m_resultsFolder(std::move(resultsFolder)) {}

void ExportActions::MakeResultsFolder() const {
    const std::filesystem::path folder = ToPath(m_resultsFolder());
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("Cannot make the results folder \"" + folder.string() + "\": " + error.message());
}

ExportOptions ExportActions::Options() const {
    ExportOptions options = m_options.Export();
    if (m_library && m_library->Facts().kind == SourceKind::ReaderDatabase)
        options.coverVolume = ReaderVolumeOf(m_library->Facts().path).value_or(std::filesystem::path());
    return options;
}

void ExportActions::ExportVolume(const std::string& volumeId) {
    m_status.Reported(kFailed, [this] { MakeResultsFolder(); });
    ExtractAnnotations(volumeId, m_library->ExportTarget(volumeId, ToPath(m_resultsFolder()), Options()));
}

void ExportActions::ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target) {
    const ExportOptions options = Options();
    ExportResult result;
    m_status.Reported(kFailed, [&] { result = m_library->ExtractAnnotations(volumeId, target, options, m_progress); });
    switch (result.outcome) {
    case ExportOutcome::NoDatabase:
        m_status.ShowOutcome(kNoDatabase);
        break;
    case ExportOutcome::Written:
        m_status.ShowWritten(Counted(result.highlights, options.newOnly ? "new highlight" : "highlight",
                                     options.newOnly ? "new highlights" : "highlights"),
                             result.file);
        break;
    case ExportOutcome::NothingNew:
        m_status.ShowOutcome("no new highlights");
        break;
    case ExportOutcome::Failed:
        m_status.ShowOutcome(kFailed);
        ShowMessageBox(&m_window,
                       {MessageBoxRequest::Icon::None, "Marvik text extractor info", "something went wrong!"});
        break;
    }
    ThrowWhenLedgerNotSaved(result.ledgerNotSaved);
}

void ExportActions::ExportSelected(const std::string& volumeId, const std::vector<std::string>& bookmarkIds) {
    ExportResult result;
    m_status.Reported(kFailed, [&] {
        MakeResultsFolder();
        result = m_library->ExtractSelectedAnnotations(volumeId, bookmarkIds, ToPath(m_resultsFolder()), Options(),
                                                       m_progress);
    });
    if (result.outcome == ExportOutcome::Written)
        m_status.ShowWritten(Counted(result.highlights, "highlight", "highlights"), result.file);
    else
        m_status.ShowOutcome(result.outcome == ExportOutcome::NoDatabase ? QString(kNoDatabase) : QString(kFailed));
}

void ExportActions::ExportAll(bool newOnly) {
    ExportOptions options = Options();
    // The options' own "new highlights only" makes every export new-only.
    options.newOnly = options.newOnly || newOnly;
    // Held for the whole export: the window may take another library only once it ends.
    const std::shared_ptr<const LoadedLibrary> library = m_library;
    const std::vector<std::string>& volumes = library->Index().Volumes.Entries();
    // With nothing listed there is nothing to read again and no folder worth opening.
    if (volumes.empty()) {
        m_status.ShowOutcome("no books listed: nothing to export");
        return;
    }
    const QString results = m_resultsFolder();
    m_status.Reported(kFailed, [this] { MakeResultsFolder(); });
    ExportAllResult result;
    m_status.Reported(kFailed, [&] {
        m_runner.Run([&](ProgressRelay& progress) {
            result = library->ExtractAllAnnotations(volumes, ToPath(results), options, progress);
        });
    });
    if (m_runner.ClosedWhileBusy())
        return;
    if (result.noDatabase) {
        m_status.ShowOutcome(kNoDatabase);
        return;
    }
    QString outcome = options.newOnly ? Counted(result.highlights, "new highlight", "new highlights") + " in " +
                                            Counted(result.Books(), "book", "books")
                                      : Counted(result.written.size(), "book", "books") + " written";
    if (options.newOnly && result.written.empty())
        outcome = "no new highlights";
    // A format of one file for every book: its name and what it holds, not one book.
    const bool oneFile = !FormatRow(options.format).wholeExportFile.empty();
    if (oneFile && !result.written.empty())
        outcome = FromPath(result.written.front().filename()) + " written: " +
                  Counted(result.highlights, options.newOnly ? "new highlight" : "highlight",
                          options.newOnly ? "new highlights" : "highlights");
    if (!result.failed.empty())
        outcome += ", " + Grouped(result.failed.size()) + " failed";
    if (result.stopped)
        outcome += oneFile ? "; cancelled, nothing written" : "; cancelled, the other books were left alone";
    if (!result.ledgerNotSaved.empty())
        outcome += "; the ledger was not saved";
    m_status.ShowOutcome(outcome);
    m_status.OfferWritten({}, results);
    // A cancelled export opens nothing: the user is already doing something else.
    if (!result.stopped)
        ShellOpen(results);
    ThrowWhenLedgerNotSaved(result.ledgerNotSaved);
    if (result.failed.empty())
        return;
    // One line a book, with what kept it from being written; books kept back by the same cause share a line.
    ShowMessageBox(&m_window,
                   {MessageBoxRequest::Icon::None, "Marvik text extractor info",
                    "something went wrong!\n\nThese books were not exported:" + FailedBooksText(result.failed)});
}

void ExportActions::RepairContentIds(const std::string& volumeId) {
    std::vector<std::string> statements;
    m_status.Reported("repair failed",
                      [&] { statements = m_library->RepairContentIds(volumeId, m_progress, m_options.Reading()); });
    QStringList lines;
    for (const std::string& statement : statements)
        lines.append(QString::fromUtf8(statement));
    emit RepairStatements(lines);
    m_status.ShowOutcome(Counted(statements.size(), "repair statement", "repair statements") + " added to the console");
}
