// "export all books" and "export new highlights of all books": every volume of the "file names" list, as a
// double-click on its row would export it.
#include "TForm1.h"

#include "BackgroundRunner.h"
#include "ELedgerError.h"
#include "FailedBooks.h"
#include "MessageBoxes.h"
#include "OptionsTab.h"
#include "ProgressRelay.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QLabel>

#include <filesystem>
#include <optional>
#include <stdexcept>

void TForm1::exportallbooks1Click() {
    ExportAll(TabSheet4->Export());
}

void TForm1::exportnewhighlights1Click() {
    ExportOptions options = TabSheet4->Export();
    options.newOnly = true;
    ExportAll(options);
}

void TForm1::ExportAll(const ExportOptions& options) {
    // With nothing listed there is nothing to read again and no folder worth opening.
    if (Volumes().Count() == 0) {
        ShowOutcome("no books listed: nothing to export");
        return;
    }
    const QString results = ResultsFolder();
    Reported("export failed", [this] { MakeResultsFolder(); });
    ExportAllResult result;
    Reported("export failed", [&] {
        m_runner->Run([&](ProgressRelay& progress) {
            result = m_library->ExtractAllAnnotations(Volumes().Entries(), ToPath(results), options, progress);
        });
    });
    if (m_runner->ClosedWhileBusy())
        return;
    if (result.noDatabase) {
        ShowOutcome("nothing exported: the database file is gone");
        return;
    }
    QString outcome = options.newOnly ? Counted(result.highlights, "new highlight", "new highlights") + " in " +
                                            Counted(result.written.size(), "book", "books")
                                      : Counted(result.written.size(), "book", "books") + " written";
    if (options.newOnly && result.written.empty())
        outcome = "no new highlights";
    if (!result.failed.empty())
        outcome += ", " + Grouped(result.failed.size()) + " failed";
    if (result.stopped)
        outcome += "; cancelled, the other books were left alone";
    if (!result.ledgerNotSaved.empty())
        outcome += "; the ledger was not saved";
    ShowOutcome(outcome);
    TntLabel6->setToolTip(results);
    OfferWritten({}, results);
    // A cancelled export opens nothing: the user is already doing something else.
    if (!result.stopped)
        ShellOpen(results);
    // The files are there even when their ledger could not be saved: the outcome tells them, the error comes last.
    if (!result.ledgerNotSaved.empty())
        throw ELedgerError(result.ledgerNotSaved);
    if (result.failed.empty())
        return;
    // One line a book, with what kept it from being written; books kept back by the same cause share a line.
    ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info",
                          "something went wrong!\n\nThese books were not exported:" + FailedBooksText(result.failed)});
}

void TForm1::MakeResultsFolder() const {
    const std::filesystem::path folder = ToPath(ResultsFolder());
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("Cannot make the results folder \"" + folder.string() + "\": " + error.message());
}
