#include "ReceivedHighlights.h"

#include "ReplaceFile.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

ReceivedHighlights::ReceivedHighlights(const std::filesystem::path& notesFolder)
    : m_file(notesFolder / ".marvik" / "received.json") {
    std::ifstream in(m_file, std::ios::binary);
    if (!in)
        return;
    const nlohmann::json json = nlohmann::json::parse(std::istreambuf_iterator<char>(in), {}, nullptr, false);
    if (!json.is_object())
        return;
    for (const auto& [volumeId, ids] : json.items()) {
        if (!ids.is_array())
            continue;
        std::set<std::string>& received = m_received[volumeId];
        for (const nlohmann::json& id : ids)
            if (id.is_string())
                received.insert(id.get<std::string>());
    }
}

const std::set<std::string>& ReceivedHighlights::Of(const std::string& volumeId) const {
    static const std::set<std::string> kNone;
    const auto found = m_received.find(volumeId);
    return found == m_received.end() ? kNone : found->second;
}

bool ReceivedHighlights::Add(const std::string& volumeId, const std::set<std::string>& ids) {
    std::set<std::string>& received = m_received[volumeId];
    const std::size_t before = received.size();
    received.insert(ids.begin(), ids.end());
    return received.size() != before;
}

void ReceivedHighlights::Save() const {
    nlohmann::json json = nlohmann::json::object();
    for (const auto& [volumeId, ids] : m_received)
        json[volumeId] = ids;
    std::error_code ignored;
    std::filesystem::create_directories(m_file.parent_path(), ignored);
    ReplaceFile(m_file, json.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n");
}
