// Backups of the reader's database: on demand from the load menu, and whenever a reader is connected. The copy runs
// beside the window, which stays free to use meanwhile: a reader's database over USB can take seconds to read. A bar
// that moves by itself and Cancel beside it show that it runs.
#include "TForm1.h"

#include "DatabaseBackup.h"
#include "ErrorDisplay.h"
#include "InterruptScope.h"
#include "OptionsTab.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QAction>
#include <QFutureWatcher>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <memory>

namespace {

struct BackupOutcome {
    QString status; // where the backup went; empty when there was no database file
    QString error;  // why there is none
    bool stopped = false;
};

BackupOutcome BackUpQuietly(const std::filesystem::path& database, const std::filesystem::path& folder,
                            std::shared_ptr<const std::atomic<bool>> stop) {
    // The copy stops between its runs of pages, its checks within their statements; what it began is removed.
    const InterruptScope interrupt(*stop);
    try {
        SilentProgress silent;
        const BackupResult result = BackUpDatabase(database, folder, kDefaultBackupsKept, silent);
        if (result.noDatabase)
            return {};
        return {(result.duplicate ? "backup unchanged: " : "backed up to ") + FromPath(result.file), {}};
    } catch (const std::exception& error) {
        if (*stop)
            return {{}, {}, true};
        return {{}, QString::fromUtf8(error.what())};
    } catch (...) {
        return {{}, QStringLiteral("Unknown error")};
    }
}

} // namespace

// The command line's default too, so that every backup is found in one place.
QString TForm1::BackupsFolder() const {
    return FromPath(UserBackupFolder());
}

void TForm1::BackUp(const QString& database, const QString& before) {
    TntLabel6->setText(before + "backing up the database");
    // Backups that run at once share one Cancel.
    if (m_backupsRunning++ == 0)
        m_backupStop = std::make_shared<std::atomic<bool>>(false);
    ShowRunningBackups();
    auto* watcher = new QFutureWatcher<BackupOutcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, before] {
        watcher->deleteLater();
        const BackupOutcome outcome = watcher->result();
        const QString text = outcome.stopped            ? before + "backup cancelled"
                             : !outcome.error.isEmpty() ? before + "backup failed"
                             : outcome.status.isEmpty() ? before + "no database file to back up"
                                                        : before + outcome.status;
        --m_backupsRunning;
        // Work in the foreground keeps the progress bar; the status tells the backup's end all the same.
        if (m_busy)
            TntLabel6->setText(text);
        else
            ShowOutcome(text);
        if (!outcome.error.isEmpty())
            ShowErrorDisplay(this, outcome.error);
    });
    watcher->setFuture(QtConcurrent::run(BackUpQuietly, ToPath(database), ToPath(BackupsFolder()), m_backupStop));
}

void TForm1::ShowRunningBackups() {
    if (m_backupsRunning == 0 || m_busy)
        return;
    ProgressBar1->setRange(0, 0); // a backup cannot count its steps
    ProgressBar1->show();
    cancelWorkButton->setEnabled(!*m_backupStop);
    cancelWorkButton->show();
}

// The reader's database when a reader is connected, else the loaded one.
void TForm1::backupdatabase1Click() {
    loaddatabase1Click();
    const QString database = fromMarvik1->isEnabled() ? ReaderDatabasePath : DatabasePath();
    if (database.isEmpty())
        ShowOutcome("no database file to back up");
    else
        BackUp(database, {});
}

void TForm1::ReaderConnected() {
    if (!fromMarvik1->isEnabled())
        return;
    // Reading never writes to the reader, so its database is loaded unasked; one the user loaded is not replaced.
    if (!Loaded() && TabSheet4->LoadOnConnect())
        LoadDatabase(ReaderDatabasePath);
    else if (DatabasePath() != ReaderDatabasePath)
        loadReaderButton->show();
    if (TabSheet4->BackUpOnConnect())
        BackUp(ReaderDatabasePath, "reader connected: " + m_connectedReader + "; ");
}
