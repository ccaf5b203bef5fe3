// The SQL console: every non-empty line of the text runs as one statement against the loaded database.
#include "TForm1.h"

#include "StatusLine.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QPlainTextEdit>

void TForm1::Button2Click() {
    std::vector<std::string> statements;
    for (const QString& line : Memo1->toPlainText().split('\n'))
        if (!line.isEmpty())
            statements.push_back(EncodeUtf8(line));
    if (!m_library->DatabaseExists()) {
        m_status->ShowOutcome("nothing executed: no database file");
        return;
    }
    m_status->Reported("SQL failed", [&] { m_library->ExecuteStatements(statements); });
    m_status->ShowOutcome(Counted(statements.size(), "statement", "statements") + " executed");
}
