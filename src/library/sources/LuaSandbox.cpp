#include "LuaSandbox.h"

#include <lua.hpp>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// What the state has spent so far, and where it must stop.
struct Spending {
    LuaBudget budget;
    std::size_t memory = 0;
    std::uint64_t instructions = 0;
    bool outOfInstructions = false;
};

constexpr int kInstructionsPerHook = 1000;
// Deeper than any sidecar nests (the old highlight table is three levels), shallow enough for the C stack; a table
// that holds itself ends here too.
constexpr int kDeepestTable = 32;

void* Allocate(void* state, void* block, std::size_t oldSize, std::size_t newSize) {
    auto& spending = *static_cast<Spending*>(state);
    // Without a block, oldSize tells what kind of object is made, not a size.
    const std::size_t held = block ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        spending.memory -= held;
        return nullptr;
    }
    if (newSize > held && spending.memory + (newSize - held) > spending.budget.memoryBytes)
        return nullptr; // Lua raises its memory error
    void* moved = std::realloc(block, newSize);
    if (moved)
        spending.memory = spending.memory - held + newSize;
    return moved;
}

Spending& SpendingOf(lua_State* lua) {
    return **static_cast<Spending**>(lua_getextraspace(lua));
}

void CountInstructions(lua_State* lua, lua_Debug*) {
    Spending& spending = SpendingOf(lua);
    spending.instructions += kInstructionsPerHook;
    if (spending.instructions > spending.budget.instructions) {
        spending.outOfInstructions = true;
        luaL_error(lua, "instruction budget spent");
    }
}

struct StateCloser {
    void operator()(lua_State* lua) const { lua_close(lua); }
};

class Converter {
public:
    Converter(lua_State* lua, const std::string& name) : m_lua(lua), m_name(name) {}

    // The value on top of the stack.
    LuaValue Convert(int depth) {
        LuaValue value;
        switch (lua_type(m_lua, -1)) {
        case LUA_TBOOLEAN:
            value.kind = LuaValue::Kind::Boolean;
            value.boolean = lua_toboolean(m_lua, -1) != 0;
            break;
        case LUA_TNUMBER:
            value.kind = LuaValue::Kind::Number;
            value.number = lua_tonumber(m_lua, -1);
            break;
        case LUA_TSTRING: {
            std::size_t length = 0;
            const char* text = lua_tolstring(m_lua, -1, &length);
            value.kind = LuaValue::Kind::Text;
            value.text.assign(text, length);
            break;
        }
        case LUA_TTABLE:
            ConvertTable(value, depth);
            break;
        default:
            break; // functions and the like are nothing a sidecar's reader needs
        }
        return value;
    }

private:
    void ConvertTable(LuaValue& value, int depth) {
        if (depth >= kDeepestTable || !lua_checkstack(m_lua, 4))
            throw ESidecarRefused(m_name + ": nests tables deeper than a sidecar does");
        value.kind = LuaValue::Kind::Table;
        lua_pushnil(m_lua);
        while (lua_next(m_lua, -2) != 0) {
            // Key at -2, value at -1; the key's type is looked at before any conversion, which lua_next forbids.
            if (lua_type(m_lua, -2) == LUA_TSTRING) {
                std::size_t length = 0;
                const char* key = lua_tolstring(m_lua, -2, &length);
                value.fields.emplace_back(std::string(key, length), Convert(depth + 1));
            } else if (lua_isinteger(m_lua, -2)) {
                value.items.emplace_back(lua_tointeger(m_lua, -2), Convert(depth + 1));
            }
            lua_pop(m_lua, 1);
        }
        std::sort(value.items.begin(), value.items.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::sort(value.fields.begin(), value.fields.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }

    lua_State* m_lua;
    const std::string& m_name;
};

} // namespace

LuaBudget SidecarBudget(std::size_t chunkBytes) {
    // A sidecar's table takes a few times its text in memory, and a handful of instructions a line.
    return {.memoryBytes = 32u * 1024 * 1024 + 8 * chunkBytes,
            .instructions = 10'000'000 + 16 * static_cast<std::uint64_t>(chunkBytes)};
}

LuaValue RunSidecarChunk(std::string_view chunk, const std::string& chunkName, const LuaBudget& budget) {
    Spending spending{.budget = budget};
    const std::unique_ptr<lua_State, StateCloser> state(lua_newstate(Allocate, &spending));
    if (!state)
        throw ESidecarRefused(chunkName + ": no memory to read it");
    lua_State* lua = state.get();
    *static_cast<Spending**>(lua_getextraspace(lua)) = &spending;
    lua_sethook(lua, CountInstructions, LUA_MASKCOUNT, kInstructionsPerHook);
    // "t": text only. Precompiled chunks are not checked by Lua and can break the virtual machine.
    const std::string name = "=" + chunkName;
    int status = luaL_loadbufferx(lua, chunk.data(), chunk.size(), name.c_str(), "t");
    if (status == LUA_OK)
        status = lua_pcall(lua, 0, 1, 0);
    if (status != LUA_OK) {
        if (status == LUA_ERRMEM)
            throw ESidecarRefused(chunkName + ": takes more memory than a sidecar needs");
        if (spending.outOfInstructions)
            throw ESidecarRefused(chunkName + ": runs longer than a sidecar needs");
        std::string message = lua_type(lua, -1) == LUA_TSTRING ? lua_tostring(lua, -1) : "error";
        // Lua names the chunk before the line: "NAME:3: ..." is told as "line 3: ...".
        if (message.starts_with(chunkName + ":"))
            message.replace(0, chunkName.size() + 1, "line ");
        const std::string reason = status == LUA_ERRSYNTAX ? "is not a Lua table: " : "does more than return a table: ";
        throw ESidecarRefused(chunkName + ": " + reason + message);
    }
    lua_sethook(lua, nullptr, 0, 0);
    if (lua_type(lua, -1) != LUA_TTABLE)
        throw ESidecarRefused(chunkName + ": returns no table");
    return Converter(lua, chunkName).Convert(0);
}
