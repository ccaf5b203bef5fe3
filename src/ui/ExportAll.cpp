// "export all books": every volume of the "file names" list, as a double-click on its row would export it.
#include "TForm1.h"

#include "MessageBoxes.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QCheckBox>
#include <QLineEdit>

// The options are read when an export starts, as the user left them.
ExportOptions TForm1::CurrentExportOptions() const {
    return {.setBom = TntCheckBox3->isChecked(),
            .overrideExisting = CheckBox1->isChecked(),
            .skipDeletedHighlights = CheckBox3->isChecked(),
            .chapterTitlesFromToc = CheckBox4->isChecked()};
}

void TForm1::exportallbooks1Click() {
    const QString results = ProgramFolder + "results";
    const ExportAllResult result = m_library.ExtractAllAnnotations(
        Volumes().Entries(), EncodeUtf8(TntEdit3->text()), ToPath(results), CurrentExportOptions(), *m_progress);
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
