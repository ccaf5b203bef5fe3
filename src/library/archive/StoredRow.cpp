#include "StoredRow.h"

#include "TSQLiteCursor.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

namespace {

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

} // namespace

std::string StoredRowJson(TSQLiteCursor& rows, const std::vector<std::string>& names, std::uint32_t firstColumn) {
    nlohmann::ordered_json row = nlohmann::ordered_json::object();
    for (std::uint32_t k = 0; k < names.size(); ++k) {
        const TStoredField field = rows.StoredField(firstColumn + k);
        switch (field.kind) {
        case TStoredField::Kind::Null:
            break;
        case TStoredField::Kind::Integer:
            row[names[k]] = field.integer;
            break;
        case TStoredField::Kind::Real:
            row[names[k]] = field.real;
            break;
        case TStoredField::Kind::Text:
            if (IsValidUtf8(field.bytes))
                row[names[k]] = field.bytes;
            else
                row[names[k]] = {{"bytes", Hex(field.bytes)}};
            break;
        case TStoredField::Kind::Blob:
            row[names[k]] = {{"blob", Hex(field.bytes)}};
            break;
        }
    }
    return row.dump();
}
