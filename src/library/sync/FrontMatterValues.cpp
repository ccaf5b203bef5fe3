#include "FrontMatterValues.h"

#include "NoteMarkers.h"

#include <yaml-cpp/yaml.h>

#include <vector>

namespace {

// One text for each value: a scalar by its text alone (quoted or plain), a missing value as an empty text, a
// mapping's keys in order.
void AppendCanonical(const YAML::Node& node, std::string& out) {
    switch (node.Type()) {
    case YAML::NodeType::Undefined:
    case YAML::NodeType::Null:
        out += "s0:";
        return;
    case YAML::NodeType::Scalar:
        out += "s" + std::to_string(node.Scalar().size()) + ":" + node.Scalar();
        return;
    case YAML::NodeType::Sequence:
        out += '[';
        for (const YAML::Node& item : node) {
            AppendCanonical(item, out);
            out += ',';
        }
        out += ']';
        return;
    case YAML::NodeType::Map: {
        std::map<std::string, std::string> members;
        for (const auto& member : node) {
            std::string key, value;
            AppendCanonical(member.first, key);
            AppendCanonical(member.second, value);
            members[key] = value;
        }
        out += '{';
        for (const auto& [key, value] : members)
            out += key + '=' + value + ',';
        out += '}';
        return;
    }
    }
}

std::optional<YAML::Node> OnlyValue(std::string_view entry) {
    try {
        const YAML::Node node = YAML::Load(std::string(entry));
        if (!node.IsMap() || node.size() != 1)
            return std::nullopt;
        return node.begin()->second;
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<std::string> EntryValue(std::string_view entry) {
    const std::optional<YAML::Node> value = OnlyValue(entry);
    if (!value)
        return std::nullopt;
    std::string canonical;
    AppendCanonical(*value, canonical);
    return canonical;
}

std::optional<std::string> EntryScalar(std::string_view entry) {
    const std::optional<YAML::Node> value = OnlyValue(entry);
    if (!value || !value->IsScalar())
        return std::nullopt;
    return value->Scalar();
}

std::string ValueHash(std::string_view value) {
    return BlockHash(value);
}

WrittenValues ParseWrittenValues(std::string_view entry) {
    const std::string text = EntryScalar(entry).value_or(std::string());
    WrittenValues written;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = std::string_view(text).substr(start, end - start);
        if (const std::size_t equals = word.rfind('='); equals != std::string_view::npos && equals > 0)
            written[DecodeMarkerWord(word.substr(0, equals))] = std::string(word.substr(equals + 1));
        start = end + 1;
    }
    return written;
}

std::string WrittenValuesLine(const WrittenValues& written) {
    std::string words;
    for (const auto& [key, hash] : written)
        words += (words.empty() ? "" : " ") + EncodeMarkerWord(key, "\"\\=") + "=" + hash;
    return std::string(kWrittenValuesKey) + ": \"" + words + "\"";
}
