#include "StoredRow.h"

#include "HexDigits.h"
#include "JsonEscaped.h"
#include "TSQLiteCursor.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <cstdio>

namespace {

// A string as the JSON library dumps it, written straight into the row's text: the archive compares rows by their
// bytes, so they stay what the library would make.
void AppendString(std::string& out, std::string_view text) {
    AppendJsonEscaped(out, text);
}

void AppendHexObject(std::string& out, std::string_view kind, std::string_view bytes) {
    out += "{\"";
    out += kind;
    out += "\":\"";
    out += InHex(bytes);
    out += "\"}";
}

} // namespace

void StoredRowJson(std::string& json, TSQLiteCursor& rows, const std::vector<std::string>& names,
                   std::uint32_t firstColumn) {
    json.assign(1, '{');
    for (std::uint32_t k = 0; k < names.size(); ++k) {
        const TStoredField field = rows.StoredField(firstColumn + k);
        if (field.kind == TStoredField::Kind::Null)
            continue;
        if (json.size() > 1)
            json += ',';
        AppendString(json, names[k]);
        json += ':';
        switch (field.kind) {
        case TStoredField::Kind::Null:
            break;
        case TStoredField::Kind::Integer: {
            std::array<char, 24> digits{};
            json.append(digits.data(), std::to_chars(digits.begin(), digits.end(), field.integer).ptr);
            break;
        }
        case TStoredField::Kind::Real:
            // The library's shortest form that reads back the same (and null for what JSON has no number for).
            json += nlohmann::json(field.real).dump();
            break;
        case TStoredField::Kind::Text:
            if (IsValidUtf8(field.bytes))
                AppendString(json, field.bytes);
            else
                AppendHexObject(json, "bytes", field.bytes);
            break;
        case TStoredField::Kind::Blob:
            AppendHexObject(json, "blob", field.bytes);
            break;
        }
    }
    json += '}';
}
