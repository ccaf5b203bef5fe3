// The options tab: the separator's bytes beside its edit, and the switch that arms the SQL console.
#include "TForm1.h"

#include "Utf8Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QString SeparatorCodes(const QString& separator) {
    QString codes;
    for (const char byte : separator.toUtf8())
        codes += '#' + QString::number(static_cast<unsigned char>(byte));
    return codes;
}

// The options are read when an action starts, as the user left them.
ReadingOptions TForm1::CurrentReadingOptions() const {
    return {.skipDeletedHighlights = CheckBox3->isChecked(), .chapterTitlesFromToc = CheckBox4->isChecked()};
}

ExportOptions TForm1::CurrentExportOptions() const {
    return {.separator = EncodeUtf8(TntEdit3->text()),
            .setBom = TntCheckBox3->isChecked(),
            .overrideExisting = CheckBox1->isChecked(),
            .format = static_cast<ExportFormat>(ComboBox1->currentIndex()),
            .reading = CurrentReadingOptions()};
}

void TForm1::TntEdit3Change() {
    Label1->setText(SeparatorCodes(TntEdit3->text()));
}

void TForm1::CheckBox2Click() {
    Button2->setEnabled(CheckBox2->isChecked());
}
