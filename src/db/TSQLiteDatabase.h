#pragma once

#include "BindValue.h"
#include "ESQLiteException.h"
#include "SQLiteHandles.h"

#include <string>
#include <unordered_map>

class TSQLiteTable;

// One open connection on one database file, for the object's whole life.
class TSQLiteDatabase {
public:
    // Opens (and, as the library does, creates) the file; fileName is a UTF-8 path.
    explicit TSQLiteDatabase(const std::string& fileName);
    // Opens with the library's open flags; fileName may then be a "file:" URI, and messages name shownName instead.
    TSQLiteDatabase(const std::string& fileName, int openFlags, const std::string& shownName);
    virtual ~TSQLiteDatabase();

    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    // Runs the first statement of sql, which must finish without yielding a row.
    void ExecSQL(const std::string& sql);
    void ExecSQL(const std::string& sql, const BindValues& values);

    // Runs the first statement of sql and returns its whole result.
    TSQLiteTable GetTable(const std::string& sql);
    TSQLiteTable GetTable(const std::string& sql, const BindValues& values);

    // Makes target's main database a page-for-page copy of this one's, as one committed state (SQLite's online
    // backup), a run of pages at a time so that a stop (InterruptScope) is heard. Errors are raised from target's
    // connection.
    void BackupTo(TSQLiteDatabase& target) const;

    // Raises ESQLiteException from the connection's most recent error.
    [[noreturn]] void RaiseError(const std::string& message, const std::string& sql) const;

    // Binds values[k] to parameter k + 1 of statement.
    void BindData(sqlite3_stmt* statement, const BindValues& values) const;

    // Compiles the first statement of sql; raises when there is none.
    StatementHandle Prepare(const std::string& sql) const;
    // The statement of sql that was put back last, else a newly compiled one: reading one row each of thousands of
    // books need not compile the same text thousands of times.
    StatementHandle TakeStatement(const std::string& sql);
    // Keeps a statement that is done for the next TakeStatement of its sql, reset and without bindings.
    void PutBack(const std::string& sql, StatementHandle statement) noexcept;

    sqlite3* Handle() const { return m_handle.get(); }
    // How long a statement waits for another connection's lock before it fails as locked.
    void SetBusyTimeout(int milliseconds);

private:
    void Open(const std::string& fileName, int openFlags, const std::string& shownName);
    void BindOne(sqlite3_stmt* statement, int parameter, const BindValue& value) const;

    ConnectionHandle m_handle;
    // Declared after the connection, so finalized before it closes.
    std::unordered_map<std::string, StatementHandle> m_spareStatements;
};
