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
            .reading = CurrentReadingOptions(),
            .newOnly = CheckBox6->isChecked()};
}

void TForm1::TntEdit3Change() {
    // A TAB cannot be typed into the edit, so "\t" stands for one.
    const QString text = TntEdit3->text();
    if (text.contains(QStringLiteral("\\t"))) {
        const int cursor = TntEdit3->cursorPosition();
        const int before = static_cast<int>(text.left(cursor).count(QStringLiteral("\\t")));
        TntEdit3->setText(QString(text).replace(QStringLiteral("\\t"), QStringLiteral("\t")));
        TntEdit3->setCursorPosition(cursor - before);
        return; // the edit's change that follows shows the codes
    }
    Label1->setText(SeparatorCodes(text));
}

void TForm1::TabButtonClick() {
    TntEdit3->insert(QStringLiteral("\t"));
    TntEdit3->setFocus();
}

// "reset options": the options as the program starts without settings.
void TForm1::SetDefaultOptions() {
    TntEdit3->setText(QStringLiteral("\t"));
    ComboBox1->setCurrentIndex(static_cast<int>(ExportFormat::Text));
    CheckBox1->setChecked(false);
    TntCheckBox3->setChecked(true);
    CheckBox2->setChecked(false);
    CheckBox3->setChecked(true);
    CheckBox4->setChecked(true);
    CheckBox5->setChecked(true);
    CheckBox6->setChecked(false);
}

void TForm1::CheckBox2Click() {
    Button2->setEnabled(CheckBox2->isChecked());
}

// New highlights go to a file of their own: replacing an earlier file would lose what it holds.
void TForm1::CheckBox6Click() {
    CheckBox1->setEnabled(!CheckBox6->isChecked());
}
