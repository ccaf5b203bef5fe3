// The SQL console: every non-empty line of the text runs as one statement against the loaded database.
#include "TForm1.h"

#include "TSQLiteDatabase.h"
#include "Utf8Text.h"

#include <QPlainTextEdit>

void TForm1::Button2Click() {
    if (!m_library.DatabaseExists())
        return;
    // The run's own connection; closing it on every path rolls back a transaction the lines left open.
    TSQLiteDatabase database(m_library.DatabasePath().string());
    const QStringList lines = Memo1->toPlainText().split('\n');
    for (const QString& line : lines) {
        if (!line.isEmpty())
            database.ExecSQL(EncodeUtf8(line));
    }
}
