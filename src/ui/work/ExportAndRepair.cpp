// What a row of the list tabs asks of the window: its volume's annotations written to a file, or its repair statements
// added to the console; and the status of their searches.
#include "TForm1.h"

#include "AnnotationExport.h"
#include "BookListTab.h"
#include "ELedgerError.h"
#include "MessageBoxes.h"
#include "OptionsTab.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <optional>

namespace {

constexpr QLatin1String kNotFound("not found");

} // namespace

void TForm1::FindNextOnCurrentTab() {
    if (auto* tab = qobject_cast<BookListTab*>(PageControl1->currentWidget()))
        tab->FindNext();
}

void TForm1::ShowSearchOutcome(bool found) {
    if (!found)
        ShowOutcome(kNotFound);
    else if (TntLabel6->text() == kNotFound)
        TntLabel6->clear();
}

void TForm1::ExportVolume(const std::string& volumeId) {
    Reported("export failed", [this] { MakeResultsFolder(); });
    ExtractAnnotations(volumeId, m_library->ExportTarget(volumeId, ToPath(ResultsFolder()), TabSheet4->Export()));
}

void TForm1::ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target) {
    const ExportOptions options = TabSheet4->Export();
    ExportResult result;
    Reported("export failed", [&] { result = m_library->ExtractAnnotations(volumeId, target, options, *m_progress); });
    switch (result.outcome) {
    case ExportOutcome::NoDatabase:
        ShowOutcome("nothing exported: the database file is gone");
        break;
    case ExportOutcome::Written:
        ShowWritten(Counted(result.highlights, options.newOnly ? "new highlight" : "highlight",
                            options.newOnly ? "new highlights" : "highlights"),
                    result.file);
        break;
    case ExportOutcome::NothingNew:
        ShowOutcome("no new highlights");
        break;
    case ExportOutcome::Failed:
        ShowOutcome("export failed");
        ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info", "something went wrong!"});
        break;
    }
    // The file is there even when its ledger could not be saved: the outcome tells it, the error comes last.
    if (!result.ledgerNotSaved.empty())
        throw ELedgerError(result.ledgerNotSaved);
}

void TForm1::RepairContentIds(const std::string& volumeId) {
    std::vector<std::string> statements;
    Reported("repair failed",
             [&] { statements = m_library->RepairContentIds(volumeId, *m_progress, TabSheet4->Reading()); });
    for (const std::string& statement : statements)
        Memo1->appendPlainText(QString::fromUtf8(statement));
    ShowOutcome(Counted(statements.size(), "repair statement", "repair statements") + " added to the console");
}

void TForm1::ShowWritten(const QString& what, const std::filesystem::path& file) {
    ShowOutcome(what + " written to " + FromPath(file.filename()) + " in " + FromPath(file.parent_path().filename()));
    TntLabel6->setToolTip(FromPath(file));
    OfferWritten(FromPath(file), FromPath(file));
    OpenFolderAndSelect(FromPath(file));
}

bool TForm1::StillThere(const QString& item, const QString& action) {
    if (QFileInfo::exists(item))
        return true;
    // The file browser would say nothing: the status tells why nothing opens.
    ShowOutcome("cannot " + action + " " + QFileInfo(item).fileName() + ": it is no longer there");
    return false;
}

void TForm1::OfferWritten(const QString& file, const QString& shown) {
    m_writtenFile = file;
    m_writtenShown = shown;
    openWrittenButton->setVisible(!file.isEmpty());
    showWrittenButton->setVisible(!shown.isEmpty());
    if (shown.isEmpty())
        TntLabel6->setToolTip({});
}

void TForm1::ExportSelected(const std::string& volumeId, const std::vector<std::string>& bookmarkIds) {
    ExportResult result;
    Reported("export failed", [&] {
        MakeResultsFolder();
        result = m_library->ExtractSelectedAnnotations(volumeId, bookmarkIds, ToPath(ResultsFolder()),
                                                       TabSheet4->Export(), *m_progress);
    });
    if (result.outcome == ExportOutcome::Written)
        ShowWritten(Counted(result.highlights, "highlight", "highlights"), result.file);
    else
        ShowOutcome(result.outcome == ExportOutcome::NoDatabase ? "nothing exported: the database file is gone"
                                                                : "export failed");
}
