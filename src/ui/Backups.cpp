// Backups of the reader's database: on demand from the load menu, and whenever a reader is connected. The copy runs
// beside the window, which stays free to use meanwhile: a reader's database over USB can take seconds to read.
#include "TForm1.h"

#include "DatabaseBackup.h"
#include "ErrorDisplay.h"
#include "OptionsTab.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QAction>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

namespace {

struct BackupOutcome {
    QString status; // where the backup went; empty when there was no database file
    QString error;  // why there is none
};

BackupOutcome BackUpQuietly(const std::filesystem::path& database, const std::filesystem::path& folder) {
    try {
        SilentProgress silent;
        const BackupResult result = BackUpDatabase(database, folder, kDefaultBackupsKept, silent);
        if (result.noDatabase)
            return {};
        return {(result.duplicate ? "backup unchanged: " : "backed up to ") + FromPath(result.file), {}};
    } catch (const std::exception& error) {
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
    auto* watcher = new QFutureWatcher<BackupOutcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, before] {
        watcher->deleteLater();
        const BackupOutcome outcome = watcher->result();
        if (!outcome.error.isEmpty()) {
            ShowOutcome(before + "backup failed");
            ShowErrorDisplay(this, outcome.error);
            return;
        }
        ShowOutcome(before + (outcome.status.isEmpty() ? QString("no database file to back up") : outcome.status));
    });
    watcher->setFuture(QtConcurrent::run(BackUpQuietly, ToPath(database), ToPath(BackupsFolder())));
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
