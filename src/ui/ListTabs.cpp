// The three list tabs: the facts of the selected row, search as you type and "find next", and the double-click that
// exports a volume's annotations or, with Shift held, proposes its repair statements.
#include "TForm1.h"

#include "MessageBoxes.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <algorithm>

namespace {

// Whether needle occurs in the row's text; an empty needle occurs nowhere.
bool RowMatches(const QString& row, const QString& needle, bool caseSensitive) {
    if (needle.isEmpty())
        return false;
    return caseSensitive ? row.contains(needle) : row.toLower().contains(needle);
}

} // namespace

bool TForm1::IsShiftDown() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

void TForm1::TntListBox1Click() {
    const int row = TntListBox1->currentRow();
    if (row < 0)
        return;
    const std::string& volume = Volumes()[static_cast<std::size_t>(row)];
    TntLabel10->setText(DecodeUtf8(AuthorPairs().ValueOf(volume)));
    TntLabel1->setText(DecodeUtf8(TitlePairs().ValueOf(volume)));
}

void TForm1::TntListBox2Click() {
    const int row = TntListBox2->currentRow();
    if (row < 0)
        return;
    const std::string book = TitlePairs().NameAt(static_cast<std::size_t>(row));
    TntLabel2->setText(DecodeUtf8(AuthorPairs().ValueOf(book)));
    TntLabel11->setText(DecodeUtf8(book));
}

void TForm1::TntListBox3Click() {
    const int row = TntListBox3->currentRow();
    if (row < 0)
        return;
    const std::string content = AuthorPairs().NameAt(static_cast<std::size_t>(row));
    TntLabel7->setText(DecodeUtf8(TitlePairs().ValueOf(content)));
    TntLabel8->setText(DecodeUtf8(content));
}

// Typing searches from the top; "find next" from the row after the selected one, going on at the top after the last.
void TForm1::SearchList(QListWidget* list, const QLineEdit* edit, const QCheckBox* caseBox, int startRow,
                        void (TForm1::*click)()) {
    const bool caseSensitive = caseBox->isChecked();
    const QString needle = caseSensitive ? edit->text() : edit->text().toLower();
    if (needle.isEmpty())
        return;
    const int count = list->count();
    const int first = std::clamp(startRow, 0, std::max(count, 1));
    for (int step = 0; step < count; ++step) {
        const int row = (first + step) % count;
        if (RowMatches(list->item(row)->text(), needle, caseSensitive)) {
            if (TntLabel6->text() == QLatin1String("not found"))
                TntLabel6->clear();
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row));
            (this->*click)();
            return;
        }
    }
    ShowOutcome("not found");
}

void TForm1::TntEdit1Change() {
    SearchList(TntListBox1, TntEdit1, TntCheckBox1, 0, &TForm1::TntListBox1Click);
}
void TForm1::TntEdit2Change() {
    SearchList(TntListBox2, TntEdit2, TntCheckBox2, 0, &TForm1::TntListBox2Click);
}
void TForm1::TntEdit4Change() {
    SearchList(TntListBox3, TntEdit4, TntCheckBox6, 0, &TForm1::TntListBox3Click);
}

void TForm1::TntButton1Click() {
    SearchList(TntListBox1, TntEdit1, TntCheckBox1, TntListBox1->currentRow() + 1, &TForm1::TntListBox1Click);
}
void TForm1::TntButton2Click() {
    SearchList(TntListBox2, TntEdit2, TntCheckBox2, TntListBox2->currentRow() + 1, &TForm1::TntListBox2Click);
}
void TForm1::TntButton3Click() {
    SearchList(TntListBox3, TntEdit4, TntCheckBox6, TntListBox3->currentRow() + 1, &TForm1::TntListBox3Click);
}

void TForm1::FindNextOnCurrentTab() {
    const QWidget* tab = PageControl1->currentWidget();
    if (tab == TabSheet1)
        TntButton1Click();
    else if (tab == TabSheet2)
        TntButton2Click();
    else if (tab == TabSheet3)
        TntButton3Click();
}

// The row's volume id is taken from the index, byte for byte, so that an id the list cannot show (it is no valid
// UTF-8) still leads to its own bookmarks.
std::optional<std::string> TForm1::SelectedVolumeId(const QListWidget* list) const {
    const int row = list->currentRow();
    if (row < 0)
        return std::nullopt;
    const auto at = static_cast<std::size_t>(row);
    if (list == TntListBox1)
        return Volumes()[at];
    return list == TntListBox2 ? TitlePairs().NameAt(at) : AuthorPairs().NameAt(at);
}

void TForm1::TntListBox1DbnalClick() {
    if (const auto id = SelectedVolumeId(TntListBox1))
        ExportOrRepair(*id);
}

void TForm1::TntListBox2DblClick() {
    if (const auto id = SelectedVolumeId(TntListBox2))
        ExportOrRepair(*id);
}

void TForm1::TntListBox3DblClick() {
    if (const auto id = SelectedVolumeId(TntListBox3))
        ExportOrRepair(*id);
}

std::unique_ptr<QMenu> TForm1::RowMenu(QListWidget* list) {
    const std::optional<std::string> id = SelectedVolumeId(list);
    if (!id)
        return nullptr;
    auto menu = std::make_unique<QMenu>(list);
    connect(menu->addAction("export annotations"), &QAction::triggered, this,
            [this, id = *id] { Guarded([&] { ExportVolume(id); }); });
    connect(menu->addAction("repair content ids"), &QAction::triggered, this,
            [this, id = *id] { Guarded([&] { RepairContentIds(id); }); });
    connect(menu->addAction("copy volume id"), &QAction::triggered, this,
            [id = *id] { QGuiApplication::clipboard()->setText(DecodeUtf8(id)); });
    return menu;
}

void TForm1::ShowRowMenu(QListWidget* list, const QPoint& at) {
    QListWidgetItem* item = list->itemAt(at);
    if (item == nullptr)
        return;
    list->setCurrentItem(item);
    if (const std::unique_ptr<QMenu> menu = RowMenu(list))
        menu->exec(list->viewport()->mapToGlobal(at));
}

void TForm1::ExportOrRepair(const std::string& volumeId) {
    if (IsShiftDown())
        RepairContentIds(volumeId);
    else
        ExportVolume(volumeId);
}

void TForm1::ExportVolume(const std::string& volumeId) {
    ExtractAnnotations(volumeId, m_library.ExportTarget(volumeId, ToPath(ResultsFolder()), CurrentExportOptions()));
}

void TForm1::ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target) {
    const ExportOptions options = CurrentExportOptions();
    ExportResult result;
    Reported("export failed", [&] { result = m_library.ExtractAnnotations(volumeId, target, options, *m_progress); });
    switch (result.outcome) {
    case ExportOutcome::NoDatabase:
        ShowOutcome("nothing exported: the database file is gone");
        break;
    case ExportOutcome::Written:
        ShowOutcome(Counted(result.highlights, options.newOnly ? "new highlight" : "highlight",
                            options.newOnly ? "new highlights" : "highlights") +
                    " written to " + FromPath(result.file.filename()));
        OpenFolderAndSelect(FromPath(result.file));
        break;
    case ExportOutcome::NothingNew:
        ShowOutcome("no new highlights");
        break;
    case ExportOutcome::Failed:
        ShowOutcome("export failed");
        ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info", "something went wrong!"});
        break;
    }
}

void TForm1::RepairContentIds(const std::string& volumeId) {
    std::vector<std::string> statements;
    Reported("repair failed",
             [&] { statements = m_library.RepairContentIds(volumeId, *m_progress, CurrentReadingOptions()); });
    for (const std::string& statement : statements)
        Memo1->appendPlainText(QString::fromUtf8(statement));
    ShowOutcome(Counted(statements.size(), "repair statement", "repair statements") + " added to the console");
}
