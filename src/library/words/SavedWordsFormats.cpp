#include "SavedWordsFormats.h"

#include "AnkiNotes.h"
#include "CsvField.h"
#include "RecordTime.h"

#include <nlohmann/json.hpp>

namespace {

// A field of a line: control characters (line breaks, TABs, a terminal's escapes) as spaces, so that each word stays
// one line of its fields.
void AppendOneLine(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
}

} // namespace

std::optional<WordsFormat> WordsFormatNamed(std::string_view name) {
    if (name == "text")
        return WordsFormat::Text;
    if (name == "csv")
        return WordsFormat::Csv;
    if (name == "json")
        return WordsFormat::Json;
    if (name == "anki")
        return WordsFormat::Anki;
    return std::nullopt;
}

std::string WordsText(std::span<const SavedWord> words) {
    std::string out;
    for (const SavedWord& word : words) {
        const std::string created = RecordTime(word.created);
        for (const std::string_view field :
             {std::string_view(word.text), std::string_view(word.language), std::string_view(word.bookTitle),
              std::string_view(created), std::string_view(word.sentence)}) {
            AppendOneLine(out, field);
            out += '\t';
        }
        out.back() = '\n';
    }
    return out;
}

std::string WordsCsv(std::span<const SavedWord> words) {
    std::string out = "word,language,book_title,volume_id,created,sentence\r\n";
    for (const SavedWord& word : words) {
        const std::string created = RecordTime(word.created);
        for (const std::string_view field :
             {std::string_view(word.text), std::string_view(word.language), std::string_view(word.bookTitle),
              std::string_view(word.volumeId), std::string_view(created), std::string_view(word.sentence)}) {
            AppendCsvField(out, field);
            out += ',';
        }
        out.back() = '\r';
        out += '\n';
    }
    return out;
}

std::string WordsJson(std::span<const SavedWord> words) {
    using Json = nlohmann::ordered_json;
    Json list = Json::array();
    for (const SavedWord& word : words) {
        Json item;
        item["word"] = word.text;
        const auto setIfKnown = [&item](const char* name, const std::string& value) {
            if (!value.empty())
                item[name] = value;
        };
        setIfKnown("language", word.language);
        setIfKnown("book", word.bookTitle);
        setIfKnown("volumeId", word.volumeId);
        setIfKnown("created", RecordTime(word.created));
        if (word.length > 0)
            item["length"] = word.length;
        setIfKnown("sentence", word.sentence);
        list.push_back(std::move(item));
    }
    Json document;
    document["words"] = std::move(list);
    // The database's texts are not always UTF-8, and a list never fails on that.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string WordsInFormat(std::span<const SavedWord> words, WordsFormat format) {
    switch (format) {
    case WordsFormat::Text:
        return WordsText(words);
    case WordsFormat::Csv:
        return WordsCsv(words);
    case WordsFormat::Json:
        return WordsJson(words);
    case WordsFormat::Anki:
        return AnkiNotes(words);
    }
    return {};
}
