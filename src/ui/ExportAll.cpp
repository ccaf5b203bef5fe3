// "export all books": every volume of the "file names" list, as a double-click on its row would export it.
#include "TForm1.h"

#include "MessageBoxes.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QLabel>

void TForm1::exportallbooks1Click() {
    // With nothing listed there is nothing to read again and no folder worth opening.
    if (Volumes().Count() == 0) {
        TntLabel6->setText("no books listed: nothing to export");
        return;
    }
    const QString results = ResultsFolder();
    const ExportAllResult result =
        m_library.ExtractAllAnnotations(Volumes().Entries(), ToPath(results), CurrentExportOptions(), *m_progress);
    if (result.noDatabase)
        return;
    ShellOpen(results);
    if (result.failed.empty())
        return;
    QString text = "something went wrong!\n\nThese books were not exported:";
    for (const FailedExport& failed : result.failed)
        text += "\n" + DecodeUtf8(failed.volumeId);
    ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info", text});
}
