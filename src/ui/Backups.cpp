// Backups of the reader's database: on demand from the load menu, and whenever a reader is connected.
#include "TForm1.h"

#include "DatabaseBackup.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>

// The command line's default too, so that every backup is found in one place.
QString TForm1::BackupsFolder() const {
    return FromPath(UserBackupFolder());
}

QString TForm1::BackUp(const QString& database) {
    BackupResult result;
    Reported("backup failed", [&] {
        result = BackUpDatabase(ToPath(database), ToPath(BackupsFolder()), kDefaultBackupsKept, *m_progress);
    });
    if (result.noDatabase)
        return {};
    return (result.duplicate ? "backup unchanged: " : "backed up to ") + FromPath(result.file);
}

// The reader's database when a reader is connected, else the loaded one.
void TForm1::backupdatabase1Click() {
    loaddatabase1Click();
    const QString database = fromMarvik1->isEnabled() ? ReaderDatabasePath : DatabasePath();
    const QString outcome = database.isEmpty() ? QString() : BackUp(database);
    ShowOutcome(outcome.isEmpty() ? QString("no database file to back up") : outcome);
}

void TForm1::ReaderConnected() {
    if (!CheckBox5->isChecked() || !fromMarvik1->isEnabled())
        return;
    const QString outcome = BackUp(ReaderDatabasePath);
    if (!outcome.isEmpty())
        ShowOutcome("reader connected: " + m_connectedReader + "; " + outcome);
}
