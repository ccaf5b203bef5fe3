#include "ESQLiteException.h"

#include <sqlite3.h>

bool ESQLiteException::IsCorrupt() const {
    return m_code == SQLITE_CORRUPT;
}

bool ESQLiteException::IsNotADatabase() const {
    return m_code == SQLITE_NOTADB;
}

bool ESQLiteException::IsReadOnly() const {
    return m_code == SQLITE_READONLY;
}
