#pragma once

#include <memory>

// The library's handle types, declared only: users of this layer need not see the library's header.
struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_backup;

// Owners of the library's handles: whatever path leaves a scope, the handle is released exactly once.
struct ConnectionCloser {
    void operator()(sqlite3* handle) const noexcept;
};
using ConnectionHandle = std::unique_ptr<sqlite3, ConnectionCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

struct BackupFinisher {
    void operator()(sqlite3_backup* backup) const noexcept;
};
using BackupHandle = std::unique_ptr<sqlite3_backup, BackupFinisher>;
