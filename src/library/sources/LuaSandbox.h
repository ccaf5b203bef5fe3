#pragma once

#include "LuaValue.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// How much a sidecar may take: the bytes its Lua state may hold at once, and the virtual machine's instructions.
struct LuaBudget {
    std::size_t memoryBytes = 0;
    std::uint64_t instructions = 0;
};

// The budget for a sidecar of that many bytes: ample for KOReader's own files, which only build one table, and far
// below what a file that loops or allocates without end would take.
LuaBudget SidecarBudget(std::size_t chunkBytes);

// A sidecar that was not read: not Lua, not a returned table, or one that tried more than building it.
class ESidecarRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the chunk (Lua source text only, never precompiled code) in a state of its own with no library opened (no
// os, io, require, load or string functions), within the budget, and returns the table it returns, copied out of
// Lua. Raises ESidecarRefused with a reason that names the chunk.
LuaValue RunSidecarChunk(std::string_view chunk, const std::string& chunkName, const LuaBudget& budget);
