// What the window remembers between runs: its place, the tab in front, the options and the last database. Without a
// settings file everything starts as built.
#include "TForm1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>

namespace {

void RestoreBox(const QSettings& settings, const char* key, QCheckBox* box) {
    box->setChecked(settings.value(key, box->isChecked()).toBool());
}

} // namespace

void TForm1::RestoreSettings() {
    const QSettings& settings = *m_settings;
    if (settings.contains("window/geometry"))
        restoreGeometry(settings.value("window/geometry").toByteArray());
    const int tab = settings.value("window/tab", PageControl1->currentIndex()).toInt();
    if (tab >= 0 && tab < PageControl1->count())
        PageControl1->setCurrentIndex(tab);
    TntEdit3->setText(settings.value("options/separator", TntEdit3->text()).toString());
    RestoreBox(settings, "options/bom", TntCheckBox3);
    RestoreBox(settings, "options/override", CheckBox1);
    RestoreBox(settings, "options/skipDeleted", CheckBox3);
    RestoreBox(settings, "options/chapterTitles", CheckBox4);
    RestoreBox(settings, "options/backUpOnConnect", CheckBox5);
    RestoreBox(settings, "options/newOnly", CheckBox6);
    const int format = settings.value("options/format", ComboBox1->currentIndex()).toInt();
    if (format >= 0 && format < ComboBox1->count())
        ComboBox1->setCurrentIndex(format);
}

// The console's switch is left out on purpose: a run that may write to the reader's database is armed anew each time.
void TForm1::SaveSettings() {
    QSettings& settings = *m_settings;
    settings.setValue("window/geometry", saveGeometry());
    settings.setValue("window/tab", PageControl1->currentIndex());
    settings.setValue("options/separator", TntEdit3->text());
    settings.setValue("options/bom", TntCheckBox3->isChecked());
    settings.setValue("options/override", CheckBox1->isChecked());
    settings.setValue("options/skipDeleted", CheckBox3->isChecked());
    settings.setValue("options/chapterTitles", CheckBox4->isChecked());
    settings.setValue("options/backUpOnConnect", CheckBox5->isChecked());
    settings.setValue("options/newOnly", CheckBox6->isChecked());
    settings.setValue("options/format", ComboBox1->currentIndex());
    settings.sync();
}

QString TForm1::LastDatabase() const {
    return m_settings->value("database/last").toString();
}
