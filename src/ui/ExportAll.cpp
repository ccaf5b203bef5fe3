// "export all books": every volume of the "file names" list, as a double-click on its row would export it.
#include "TForm1.h"

#include "ErrorDisplay.h"
#include "MessageBoxes.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QLocale>

void TForm1::exportallbooks1Click() {
    // With nothing listed there is nothing to read again and no folder worth opening.
    if (Volumes().Count() == 0) {
        ShowOutcome("no books listed: nothing to export");
        return;
    }
    const QString results = ResultsFolder();
    ExportAllResult result;
    Reported("export failed", [&] {
        const ExportOptions options = CurrentExportOptions();
        RunInBackground([&](ProgressReporter& progress) {
            result = m_library.ExtractAllAnnotations(Volumes().Entries(), ToPath(results), options, progress);
        });
    });
    if (m_closedWhileBusy)
        return;
    if (result.noDatabase) {
        ShowOutcome("nothing exported: the database file is gone");
        return;
    }
    QString outcome = Counted(result.written.size(), "book", "books") + " written";
    if (!result.failed.empty())
        outcome += ", " + QLocale(QLocale::English).toString(static_cast<qulonglong>(result.failed.size())) + " failed";
    ShowOutcome(outcome);
    ShellOpen(results);
    if (result.failed.empty())
        return;
    // One line a book, with what kept it from being written.
    QString text = "something went wrong!\n\nThese books were not exported:";
    for (const FailedExport& failed : result.failed)
        text += "\n" + DecodeUtf8(failed.volumeId) + ": " + ErrorBoxText(DecodeUtf8(failed.reason)).replace('\n', ' ');
    ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info", text});
}
