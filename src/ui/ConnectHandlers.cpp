// Which handler runs for which event; every handler runs under the error display.
#include "TForm1.h"

#include "BackgroundRunner.h"
#include "BookListTab.h"
#include "DatabaseFileWatch.h"
#include "LibraryTab.h"
#include "OptionsTab.h"
#include "ReaderWatcher.h"
#include "ShellOpen.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>

void TForm1::ConnectHandlers() {
    const auto guard = [this](void (TForm1::*handler)()) {
        return [this, handler] { Guarded([&] { (this->*handler)(); }); };
    };

    connect(loaddatabase1, &QMenu::aboutToShow, this, guard(&TForm1::loaddatabase1Click));
    connect(fromprogrampath1, &QAction::triggered, this, guard(&TForm1::fromprogrampath1Click));
    connect(fromMarvik1, &QAction::triggered, this, guard(&TForm1::fromMarvik1Click));
    connect(openfolders1, &QMenu::aboutToShow, this, guard(&TForm1::openfolders1Click));
    connect(opemprogramfolder1, &QAction::triggered, this, guard(&TForm1::opemprogramfolder1Click));
    connect(openresultfolder1, &QAction::triggered, this, guard(&TForm1::openresultfolder1Click));
    connect(openMarvikkobo1, &QAction::triggered, this, guard(&TForm1::openMarvikkobo1Click));
    connect(opendatabasefile1, &QAction::triggered, this, guard(&TForm1::opendatabasefile1Click));
    connect(openlastdatabase1, &QAction::triggered, this, guard(&TForm1::openlastdatabase1Click));
    connect(quit1, &QAction::triggered, this, &QWidget::close);
    connect(exportallbooks1, &QAction::triggered, this, guard(&TForm1::exportallbooks1Click));
    connect(exportnewhighlights1, &QAction::triggered, this, guard(&TForm1::exportnewhighlights1Click));
    connect(syncnotes1, &QAction::triggered, this, guard(&TForm1::syncnotes1Click));
    connect(TabSheet4, &OptionsTab::NoteTemplateChanged, LibraryPage, &LibraryTab::SetNoteTemplate);
    connect(backupdatabase1, &QAction::triggered, this, guard(&TForm1::backupdatabase1Click));
    connect(about1, &QAction::triggered, this, guard(&TForm1::about1Click));

    for (BookListTab* tab : ListTabs()) {
        connect(this, &TForm1::LibraryLoaded, tab, &BookListTab::SetLibrary);
        connect(tab, &BookListTab::ExportRequested, this,
                [this](const std::string& volumeId) { Guarded([&] { ExportVolume(volumeId); }); });
        connect(tab, &BookListTab::RepairRequested, this,
                [this](const std::string& volumeId) { Guarded([&] { RepairContentIds(volumeId); }); });
        connect(tab, &BookListTab::Searched, this, [this](bool found) { ShowSearchOutcome(found); });
    }
    connect(this, &TForm1::LibraryLoaded, LibraryPage, &LibraryTab::SetLibrary);
    connect(LibraryPage, &LibraryTab::ExportRequested, this,
            [this](const std::string& volumeId) { Guarded([&] { ExportVolume(volumeId); }); });
    connect(LibraryPage, &LibraryTab::RepairRequested, this,
            [this](const std::string& volumeId) { Guarded([&] { RepairContentIds(volumeId); }); });
    connect(LibraryPage, &LibraryTab::ExportSelectedRequested, this,
            [this](const std::string& volumeId, const std::vector<std::string>& ids) {
                Guarded([&] { ExportSelected(volumeId, ids); });
            });
    connect(LibraryPage, &LibraryTab::ReaderRequested, this, guard(&TForm1::fromMarvik1Click));
    connect(LibraryPage, &LibraryTab::OpenFileRequested, this, guard(&TForm1::opendatabasefile1Click));
    connect(LibraryPage, &LibraryTab::LastDatabaseRequested, this, guard(&TForm1::openlastdatabase1Click));
    connect(LibraryPage, &LibraryTab::ResultsFolderRequested, this, guard(&TForm1::openresultfolder1Click));
    // Ctrl+F anywhere searches every book's highlights.
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        PageControl1->setCurrentWidget(LibraryPage);
        LibraryPage->FocusSearch();
    });
    // F3 anywhere looks for the next match on the list in front.
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
            guard(&TForm1::FindNextOnCurrentTab));

    connect(cancelWorkButton, &QPushButton::clicked, this, &TForm1::StopWork);
    connect(loadReaderButton, &QPushButton::clicked, this, guard(&TForm1::fromMarvik1Click));
    connect(openWrittenButton, &QPushButton::clicked, this, [this] {
        if (StillThere(m_writtenFile, "open"))
            ShellOpen(m_writtenFile);
    });
    connect(showWrittenButton, &QPushButton::clicked, this, [this] {
        if (!StillThere(m_writtenShown, "show"))
            return;
        if (m_writtenShown == m_writtenFile)
            OpenFolderAndSelect(m_writtenShown);
        else
            ShellOpen(m_writtenShown); // a folder of many files: the folder itself
    });
    connect(m_runner, &BackgroundRunner::Ended, this, &TForm1::ShowRunningBackups);
    connect(m_readerWatch, &ReaderWatcher::Changed, this,
            [this](const QString& root) { Guarded([&] { ReaderChanged(root); }); });
    connect(m_databaseWatch, &DatabaseFileWatch::Changed, this, guard(&TForm1::DatabaseFileChanged));

    connect(TabSheet4, &OptionsTab::ConsoleArmed, Button2, &QWidget::setEnabled);
    connect(Button2, &QPushButton::clicked, this, guard(&TForm1::Button2Click));
}
