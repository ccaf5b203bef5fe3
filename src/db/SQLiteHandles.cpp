#include "SQLiteHandles.h"

#include <sqlite3.h>

void ConnectionCloser::operator()(sqlite3* handle) const noexcept {
    sqlite3_close(handle);
}

void StatementFinalizer::operator()(sqlite3_stmt* statement) const noexcept {
    sqlite3_finalize(statement);
}

void BackupFinisher::operator()(sqlite3_backup* backup) const noexcept {
    sqlite3_backup_finish(backup);
}
