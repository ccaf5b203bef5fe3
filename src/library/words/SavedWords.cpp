#include "SavedWords.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "Utf8.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace {

std::string LanguageOf(std::string_view suffix) {
    if (suffix.starts_with('-'))
        suffix.remove_prefix(1);
    return std::string(suffix);
}

// Each book's title, read once however many words were looked up in it.
class BookTitles {
public:
    explicit BookTitles(ReaderConnection& reader) : m_reader(reader) {}

    const std::string& Of(const std::string& volumeId) {
        const auto known = m_titles.find(volumeId);
        if (known != m_titles.end())
            return known->second;
        std::string title;
        if (!volumeId.empty()) {
            ReaderQuery rows(m_reader, "content", {"Title"}, "WHERE ContentID=?", {volumeId});
            if (rows.Step())
                title = rows.Text(0);
        }
        return m_titles.emplace(volumeId, std::move(title)).first->second;
    }

private:
    ReaderConnection& m_reader;
    std::map<std::string, std::string, std::less<>> m_titles;
};

std::vector<SavedWord> ReadWords(ReaderConnection& reader) {
    std::vector<SavedWord> words;
    if (reader.Schema().Columns("WordList").empty())
        return words;
    ReaderQuery rows(reader, "WordList",
                     {"Text", Optional("VolumeId"), Optional("DictSuffix"), Optional("DateCreated")});
    while (rows.Step()) {
        SavedWord& word = words.emplace_back();
        word.text = rows.Text(0);
        word.volumeId = rows.Text(1);
        word.language = LanguageOf(rows.Text(2));
        word.created = rows.Text(3);
    }
    // Oldest first; a word saved twice (a table without its key) is kept as first saved.
    std::stable_sort(words.begin(), words.end(),
                     [](const SavedWord& a, const SavedWord& b) { return a.created < b.created; });
    std::unordered_set<std::string> seen;
    std::erase_if(words,
                  [&seen](const SavedWord& word) { return word.text.empty() || !seen.insert(word.text).second; });
    BookTitles titles(reader);
    for (SavedWord& word : words) {
        word.bookTitle = titles.Of(word.volumeId);
        word.length = CutWord(word.text);
    }
    return words;
}

} // namespace

std::size_t CutWord(std::string& word, std::size_t longest) {
    std::size_t characters = 0, end = 0, cutAt = 0;
    while (end < word.size()) {
        if (characters == longest)
            cutAt = end;
        char32_t code = 0;
        const std::size_t length = NextUtf8CodePoint(std::string_view(word).substr(end), code);
        end += length == 0 ? 1 : length;
        ++characters;
    }
    if (characters <= longest)
        return 0;
    word.resize(cutAt);
    word += "\xE2\x80\xA6"; // an ellipsis
    return characters;
}

std::optional<std::vector<SavedWord>> ReadSavedWords(const std::filesystem::path& database,
                                                     ProgressReporter& progress) {
    std::vector<SavedWord> words;
    const bool read = ReadReaderDatabase(database, "the saved words", progress,
                                         [&words](ReaderConnection& reader) { words = ReadWords(reader); });
    if (!read)
        return std::nullopt;
    return words;
}
