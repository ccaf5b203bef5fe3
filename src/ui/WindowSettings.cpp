// What the window remembers between runs: its place, the tab in front, the options and the last database. Without a
// settings file everything starts as built.
#include "TForm1.h"

#include "LibraryTab.h"
#include "OptionsTab.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>

namespace {

// Room for the library's table beside a book's highlights, where the screen has it.
constexpr QSize kFirstSize(960, 640);
// What a window manager's frame may add around the window before it is shown and its frame is known: a title bar
// above, thin borders elsewhere.
constexpr QMargins kFrameAllowance(8, 40, 8, 8);

// The tab of that object name; settings written before the library tab named their tab by its place among the
// others, which then began with "file names".
int RememberedTab(const QSettings& settings, const QTabWidget& tabs) {
    const QString name = settings.value("window/tabName").toString();
    for (int i = 0; i < tabs.count(); ++i)
        if (!name.isEmpty() && tabs.widget(i)->objectName() == name)
            return i;
    if (name.isEmpty() && settings.contains("window/tab"))
        return settings.value("window/tab").toInt() + 1;
    return tabs.currentIndex();
}

} // namespace

void TForm1::RestoreSettings() {
    const QSettings& settings = *m_settings;
    if (settings.contains("window/geometry")) {
        restoreGeometry(settings.value("window/geometry").toByteArray());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Within the screen's free area with its frame, in the middle of it.
        const QRect room = screen->availableGeometry().marginsRemoved(kFrameAllowance);
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kFirstSize.boundedTo(room.size()), room));
    }
    const int tab = RememberedTab(settings, *PageControl1);
    if (tab >= 0 && tab < PageControl1->count())
        PageControl1->setCurrentIndex(tab);
    TabSheet4->Restore(settings);
    LibraryPage->SetNoteTemplate(TabSheet4->NoteTemplate());
}

void TForm1::SaveSettings() {
    QSettings& settings = *m_settings;
    settings.setValue("window/geometry", saveGeometry());
    settings.setValue("window/tabName", PageControl1->currentWidget()->objectName());
    settings.remove("window/tab");
    TabSheet4->Save(settings);
    settings.sync();
}

QString TForm1::LastDatabase() const {
    return m_settings->value("database/last").toString();
}
