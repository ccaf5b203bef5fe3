#pragma once

#include <cstdint>

// What the benchmark's process allocated through operator new since it started: the program's own C++ allocations
// (SQLite and ICU allocate with malloc and are not counted). Replaces the global operator new and delete.
struct Allocations {
    std::uint64_t count = 0;
    std::uint64_t bytes = 0;
};
Allocations AllocationsSoFar();

// How many SQL statements the process's connections began to run since it started (sqlite3_trace_v2 on every
// connection opened after InstallStatementCount).
void InstallStatementCount();
std::uint64_t StatementsSoFar();
