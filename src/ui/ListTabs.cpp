// The three list tabs: the facts of the selected row, search as you type and "find next", and the double-click that
// exports a volume's annotations or, with Shift held, proposes its repair statements.
#include "TForm1.h"

#include "MessageBoxes.h"
#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

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

void TForm1::SearchList(QListWidget* list, const QLineEdit* edit, const QCheckBox* caseBox, int startRow,
                        void (TForm1::*click)()) {
    const bool caseSensitive = caseBox->isChecked();
    const QString needle = caseSensitive ? edit->text() : edit->text().toLower();
    for (int row = std::max(startRow, 0); row < list->count(); ++row) {
        if (RowMatches(list->item(row)->text(), needle, caseSensitive)) {
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row));
            (this->*click)();
            return;
        }
    }
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

// The row's volume id is taken from the index, byte for byte, so that an id the list cannot show (it is no valid
// UTF-8) still leads to its own bookmarks.
void TForm1::TntListBox1DbnalClick() {
    const int row = TntListBox1->currentRow();
    if (row >= 0)
        ExportOrRepair(Volumes()[static_cast<std::size_t>(row)]);
}

void TForm1::TntListBox2DblClick() {
    const int row = TntListBox2->currentRow();
    if (row >= 0)
        ExportOrRepair(TitlePairs().NameAt(static_cast<std::size_t>(row)));
}

void TForm1::TntListBox3DblClick() {
    const int row = TntListBox3->currentRow();
    if (row >= 0)
        ExportOrRepair(AuthorPairs().NameAt(static_cast<std::size_t>(row)));
}

void TForm1::ExportOrRepair(const std::string& volumeId) {
    if (IsShiftDown()) {
        RepairContentIds(volumeId);
        return;
    }
    ExtractAnnotations(volumeId, m_library.ExportTarget(volumeId, ToPath(ResultsFolder()), CurrentExportOptions()));
}

void TForm1::ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target) {
    const ExportResult result = m_library.ExtractAnnotations(volumeId, target, CurrentExportOptions(), *m_progress);
    switch (result.outcome) {
    case ExportOutcome::NoDatabase:
        break;
    case ExportOutcome::Written:
        OpenFolderAndSelect(FromPath(result.file));
        break;
    case ExportOutcome::Failed:
        ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info", "something went wrong!"});
        break;
    }
}

void TForm1::RepairContentIds(const std::string& volumeId) {
    for (const std::string& statement : m_library.RepairContentIds(volumeId, *m_progress, CurrentReadingOptions()))
        Memo1->appendPlainText(QString::fromUtf8(statement));
}
