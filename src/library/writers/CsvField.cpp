#include "CsvField.h"

namespace {

bool NeedsApostrophe(std::string_view field) {
    return !field.empty() && std::string_view("=+-@\t\r'").find(field.front()) != std::string_view::npos;
}

void AppendField(std::string& bytes, std::string_view field, bool apostrophe) {
    const bool quoted = field.find_first_of(",\"\r\n\t") != std::string_view::npos ||
                        (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quoted) {
        if (apostrophe)
            bytes += '\'';
        bytes += field;
        return;
    }
    bytes += apostrophe ? "\"'" : "\"";
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos; quote = field.find('"')) {
        bytes += field.substr(0, quote + 1);
        bytes += '"';
        field.remove_prefix(quote + 1);
    }
    bytes += field;
    bytes += '"';
}

} // namespace

void AppendCsvField(std::string& bytes, std::string_view field) {
    AppendField(bytes, field, NeedsApostrophe(field));
}

void AppendExactCsvField(std::string& bytes, std::string_view field) {
    AppendField(bytes, field, false);
}
