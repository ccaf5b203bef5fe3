#include "ReceivedHighlights.h"

#include "JsonEscaped.h"
#include "ReplaceFile.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

ReceivedHighlights::ReceivedHighlights(const std::filesystem::path& notesFolder)
    : m_file(notesFolder / ".marvik" / "received.json") {
    std::ifstream in(m_file, std::ios::binary);
    if (!in)
        return;
    // Read whole first: the parser takes a string of some megabytes a third faster than a stream's characters.
    std::ostringstream text;
    text << in.rdbuf();
    const nlohmann::json json = nlohmann::json::parse(text.view(), nullptr, false);
    if (!json.is_object())
        return;
    for (const auto& [volumeId, ids] : json.items()) {
        if (!ids.is_object())
            continue;
        auto& received = m_received[volumeId];
        for (const auto& [id, readers] : ids.items())
            if (readers.is_array())
                for (const nlohmann::json& reader : readers)
                    if (reader.is_string())
                        received[id].insert(reader.get<std::string>());
    }
}

bool ReceivedHighlights::Knows(const std::string& volumeId) const {
    return m_received.contains(volumeId);
}

std::set<std::string> ReceivedHighlights::Of(const std::string& volumeId) const {
    std::set<std::string> ids;
    if (const auto found = m_received.find(volumeId); found != m_received.end())
        for (const auto& [id, readers] : found->second)
            ids.insert(id);
    return ids;
}

std::set<std::string> ReceivedHighlights::From(const std::string& volumeId, const std::string& reader) const {
    std::set<std::string> ids;
    if (const auto found = m_received.find(volumeId); found != m_received.end())
        for (const auto& [id, readers] : found->second)
            if (readers.contains(reader))
                ids.insert(id);
    return ids;
}

bool ReceivedHighlights::Add(const std::string& volumeId, const std::string& reader, const std::set<std::string>& ids) {
    bool added = !m_received.contains(volumeId);
    auto& received = m_received[volumeId];
    for (const std::string& id : ids)
        added |= received[id].insert(reader).second;
    return added;
}

namespace {

// A JSON string of text; bytes that are not UTF-8 (a path may hold them) become U+FFFD, as the JSON library writes
// them.
void AppendJsonString(std::string& out, std::string_view text) {
    if (IsValidUtf8(text))
        AppendJsonEscaped(out, text);
    else
        out += nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

// Written straight into its text, a key and its readers at a time: the record holds every note's blocks, and a
// document of them built first took as much memory again as the record itself.
void ReceivedHighlights::Save() const {
    std::string text = "{";
    const char* bookSeparator = "\n";
    for (const auto& [volumeId, ids] : m_received) {
        text += bookSeparator;
        bookSeparator = ",\n";
        text += '\t';
        AppendJsonString(text, volumeId);
        text += ": {";
        const char* idSeparator = "\n";
        for (const auto& [id, readers] : ids) {
            text += idSeparator;
            idSeparator = ",\n";
            text += "\t\t";
            AppendJsonString(text, id);
            text += ": [";
            const char* readerSeparator = "\n";
            for (const std::string& reader : readers) {
                text += readerSeparator;
                readerSeparator = ",\n";
                text += "\t\t\t";
                AppendJsonString(text, reader);
            }
            text += readers.empty() ? "]" : "\n\t\t]";
        }
        text += ids.empty() ? "}" : "\n\t}";
    }
    text += m_received.empty() ? "}\n" : "\n}\n";
    std::error_code ignored;
    std::filesystem::create_directories(m_file.parent_path(), ignored);
    ReplaceFile(m_file, text);
}

std::string ReaderIdentity(const std::filesystem::path& database) {
    // The reader's .kobo/version starts with its serial number, a comma after it.
    std::ifstream version(database.parent_path() / "version");
    std::string serial;
    if (version && std::getline(version, serial, ',') && !serial.empty() && serial.size() < 64 &&
        serial.find('\n') == std::string::npos)
        return "serial " + serial;
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(database, error);
    return (error ? database : canonical).string();
}
