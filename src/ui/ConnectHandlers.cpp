// Which handler runs for which event; every handler runs under the error display.
#include "TForm1.h"

#include "BackgroundRunner.h"
#include "BookListTab.h"
#include "DatabaseFileWatch.h"
#include "ExportActions.h"
#include "LibraryTab.h"
#include "NotesSyncAction.h"
#include "OptionsTab.h"
#include "ReaderWatcher.h"
#include "StatusLine.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
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
    connect(exportallbooks1, &QAction::triggered, this, [this] { Guarded([&] { m_exports->ExportAll(false); }); });
    connect(exportnewhighlights1, &QAction::triggered, this, [this] { Guarded([&] { m_exports->ExportAll(true); }); });
    connect(syncnotes1, &QAction::triggered, this, [this] { Guarded([&] { m_notesSync->SyncNotes(); }); });
    connect(TabSheet4, &OptionsTab::NoteTemplateChanged, LibraryPage, &LibraryTab::SetNoteTemplate);
    connect(backupdatabase1, &QAction::triggered, this, guard(&TForm1::backupdatabase1Click));
    connect(about1, &QAction::triggered, this, guard(&TForm1::about1Click));

    connect(this, &TForm1::LibraryLoaded, m_exports, &ExportActions::SetLibrary);
    connect(this, &TForm1::LibraryLoaded, m_notesSync, &NotesSyncAction::SetLibrary);
    const auto exportVolume = [this](const std::string& volumeId) {
        Guarded([&] { m_exports->ExportVolume(volumeId); });
    };
    const auto repairVolume = [this](const std::string& volumeId) {
        Guarded([&] { m_exports->RepairContentIds(volumeId); });
    };
    connect(m_exports, &ExportActions::RepairStatements, Memo1, [this](const QStringList& statements) {
        for (const QString& statement : statements)
            Memo1->appendPlainText(statement);
    });
    for (BookListTab* tab : ListTabs()) {
        connect(this, &TForm1::LibraryLoaded, tab, &BookListTab::SetLibrary);
        connect(tab, &BookListTab::ExportRequested, this, exportVolume);
        connect(tab, &BookListTab::RepairRequested, this, repairVolume);
        connect(tab, &BookListTab::Searched, m_status, &StatusLine::ShowSearchOutcome);
    }
    connect(this, &TForm1::LibraryLoaded, LibraryPage, &LibraryTab::SetLibrary);
    connect(LibraryPage, &LibraryTab::ExportRequested, this, exportVolume);
    connect(LibraryPage, &LibraryTab::RepairRequested, this, repairVolume);
    connect(LibraryPage, &LibraryTab::ExportSelectedRequested, this,
            [this](const std::string& volumeId, const std::vector<std::string>& ids) {
                Guarded([&] { m_exports->ExportSelected(volumeId, ids); });
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
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this, [this] {
        if (auto* tab = qobject_cast<BookListTab*>(PageControl1->currentWidget()))
            Guarded([&] { tab->FindNext(); });
    });

    connect(cancelWorkButton, &QPushButton::clicked, this, &TForm1::StopWork);
    connect(loadReaderButton, &QPushButton::clicked, this, guard(&TForm1::fromMarvik1Click));
    connect(m_runner, &BackgroundRunner::Ended, this, &TForm1::ShowRunningBackups);
    connect(m_status, &StatusLine::OutcomeShown, this, &TForm1::ShowRunningBackups);
    connect(m_readerWatch, &ReaderWatcher::Changed, this,
            [this](const QString& root) { Guarded([&] { ReaderChanged(root); }); });
    connect(m_databaseWatch, &DatabaseFileWatch::Changed, this, guard(&TForm1::DatabaseFileChanged));

    connect(TabSheet4, &OptionsTab::ConsoleArmed, Button2, &QWidget::setEnabled);
    connect(Button2, &QPushButton::clicked, this, guard(&TForm1::Button2Click));
}
