#include "AllocationCount.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> g_count{0};
std::atomic<std::uint64_t> g_bytes{0};
std::atomic<std::uint64_t> g_statements{0};

int CountStatement(unsigned, void*, void*, void*) {
    g_statements.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

int TraceConnection(sqlite3* db, const char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, CountStatement, nullptr);
    return SQLITE_OK;
}

} // namespace

Allocations AllocationsSoFar() {
    return {g_count.load(std::memory_order_relaxed), g_bytes.load(std::memory_order_relaxed)};
}

void InstallStatementCount() {
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(TraceConnection));
}

std::uint64_t StatementsSoFar() {
    return g_statements.load(std::memory_order_relaxed);
}

// The other forms (arrays, nothrow, sized delete) call these by default.
void* operator new(std::size_t size) {
    g_count.fetch_add(1, std::memory_order_relaxed);
    g_bytes.fetch_add(size, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
