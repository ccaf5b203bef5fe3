#pragma once

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// The blocks of a Logseq page as Logseq's own parser reads them (logseq-blocks.js): an array of objects with the
// block's "level" (0 for the page's own properties), "title", "properties" and "body"; a discarded value when the
// parser could not be run.
inline nlohmann::json LogseqBlocks(const std::filesystem::path& note) {
    const std::string command =
        "NODE_PATH='" MARVIK_MLDOC_MODULES "' '" MARVIK_NODE "' '" MARVIK_LOGSEQ_BLOCKS "' '" + note.string() + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string json;
    char buffer[65536];
    for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        json.append(buffer, got);
    return nlohmann::json::parse(json, nullptr, false);
}
