#pragma once

#include <sqlite3.h>

#include <memory>

// Owners of the library's handles: whatever path leaves a scope, the handle is released exactly once.
struct ConnectionCloser {
    void operator()(sqlite3* handle) const noexcept { sqlite3_close(handle); }
};
using ConnectionHandle = std::unique_ptr<sqlite3, ConnectionCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
