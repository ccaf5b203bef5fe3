#include "AnkiNotes.h"

namespace {

bool IsSpaceOrControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
}

// One field of a card: control characters as spaces (Anki's fields hold text, and a TAB or a line break would end
// the field or the card); quoted, its quotes doubled, where Anki would read it otherwise.
void AppendField(std::string& out, std::string_view text) {
    std::string field;
    for (const char c : text)
        field += IsSpaceOrControl(c) ? ' ' : c;
    if (!field.starts_with('#') && field.find('"') == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string AnkiTag(std::string_view title) {
    std::string tag;
    bool gap = false;
    for (const char c : title) {
        if (IsSpaceOrControl(c)) {
            gap = true;
            continue;
        }
        if (gap && !tag.empty())
            tag += '_';
        gap = false;
        tag += c;
    }
    return tag;
}

std::string AnkiNotes(std::span<const SavedWord> words) {
    std::string out = "#separator:tab\n#html:false\n#deck:";
    out += kSavedWordsDeck;
    out += "\n#tags column:3\n";
    for (const SavedWord& word : words) {
        std::string back = word.bookTitle;
        if (!word.language.empty())
            back += (back.empty() ? "" : " \xC2\xB7 ") + word.language;
        if (!word.sentence.empty())
            back += (back.empty() ? "" : " \xC2\xB7 ") + word.sentence;
        AppendField(out, word.text);
        out += '\t';
        AppendField(out, back);
        out += '\t';
        AppendField(out, AnkiTag(word.bookTitle));
        out += '\n';
    }
    return out;
}
