// A reader plugged in or removed, and backups of its database: on demand from the load menu, and whenever a reader is
// connected. A bar that moves by itself and Cancel beside it show that a backup runs.
#include "TForm1.h"

#include "BackgroundRunner.h"
#include "DatabaseBackups.h"
#include "DatabaseFileWatch.h"
#include "ErrorDisplay.h"
#include "NotesSyncAction.h"
#include "OptionsTab.h"
#include "ReaderWatcher.h"
#include "StatusLine.h"
#include "UserFolders.h"
#include "Utf8Text.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

// The command line's default too, so that every backup is found in one place.
QString TForm1::BackupsFolder() const {
    return FromPath(UserBackupFolder());
}

void TForm1::BackUp(const QString& database, const QString& before, std::function<void()> then) {
    TntLabel6->setText(before + "backing up the database");
    m_backups->Start(database, BackupsFolder(), [this, before, then = std::move(then)](const BackupOutcome& outcome) {
        const QString text = outcome.stopped            ? before + "backup cancelled"
                             : !outcome.error.isEmpty() ? before + "backup failed"
                             : outcome.status.isEmpty() ? before + "no database file to back up"
                                                        : before + outcome.status;
        // Work in the foreground keeps the progress bar; the status tells the backup's end all the same.
        if (m_runner->Busy())
            TntLabel6->setText(text);
        else
            m_status->ShowOutcome(text);
        if (!outcome.error.isEmpty())
            ShowErrorDisplay(this, outcome.error);
        if (then && !outcome.stopped)
            Guarded(then);
    });
    ShowRunningBackups();
}

void TForm1::ShowRunningBackups() {
    if (m_runner->Busy())
        return;
    if (!m_backups->Running()) {
        cancelWorkButton->hide();
        return;
    }
    ProgressBar1->setRange(0, 0); // a backup cannot count its steps
    ProgressBar1->show();
    cancelWorkButton->setEnabled(!m_backups->Stopping());
    cancelWorkButton->show();
}

// The reader's database when a reader is connected, else the loaded one.
void TForm1::backupdatabase1Click() {
    loaddatabase1Click();
    const QString database = fromMarvik1->isEnabled() ? ReaderDatabasePath : DatabasePath();
    if (database.isEmpty())
        m_status->ShowOutcome("no database file to back up");
    else
        BackUp(database, {});
}

void TForm1::ReaderChanged(const QString& root) {
    loaddatabase1Click();     // the menu's entries as they would show now
    m_databaseWatch->Rearm(); // a database on the reader is back in its folder
    if (root.isEmpty()) {
        loadReaderButton->hide();
        m_status->ShowOutcome("reader disconnected");
        return;
    }
    m_status->ShowOutcome("reader connected: " + root);
    ReaderConnected();
}

void TForm1::ReaderConnected() {
    if (!fromMarvik1->isEnabled())
        return;
    // Reading never writes to the reader, so its database is loaded unasked; one the user loaded is not replaced.
    if (!Loaded() && TabSheet4->LoadOnConnect())
        LoadDatabase(ReaderDatabasePath);
    else if (DatabasePath() != ReaderDatabasePath)
        loadReaderButton->show();
    const QString connected = "reader connected: " + m_readerWatch->Connected() + "; ";
    // Notes are synced from the reader's database as the backup keeps it: after the backup, when there is one.
    const auto sync = [this, connected] { m_notesSync->SyncAfterConnect(connected); };
    if (TabSheet4->BackUpOnConnect())
        BackUp(ReaderDatabasePath, connected, TabSheet4->SyncOnConnect() ? sync : std::function<void()>());
    else if (TabSheet4->SyncOnConnect())
        sync();
}
