// What the window remembers between runs: its place, the tab in front, the options and the last database. Without a
// settings file everything starts as built.
#include "TForm1.h"

#include "OptionsTab.h"

#include <QSettings>
#include <QTabWidget>

void TForm1::RestoreSettings() {
    const QSettings& settings = *m_settings;
    if (settings.contains("window/geometry"))
        restoreGeometry(settings.value("window/geometry").toByteArray());
    const int tab = settings.value("window/tab", PageControl1->currentIndex()).toInt();
    if (tab >= 0 && tab < PageControl1->count())
        PageControl1->setCurrentIndex(tab);
    TabSheet4->Restore(settings);
}

void TForm1::SaveSettings() {
    QSettings& settings = *m_settings;
    settings.setValue("window/geometry", saveGeometry());
    settings.setValue("window/tab", PageControl1->currentIndex());
    TabSheet4->Save(settings);
    settings.sync();
}

QString TForm1::LastDatabase() const {
    return m_settings->value("database/last").toString();
}
