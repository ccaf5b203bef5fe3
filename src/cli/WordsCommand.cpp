#include "WordsCommand.h"

#include "BookFile.h"
#include "BookSentences.h"
#include "SavedWordsFormats.h"

#include <ostream>
#include <stdexcept>

int PrintSavedWords(const CommandLine& line, const std::filesystem::path& database, ProgressReporter& progress,
                    std::ostream& out, std::ostream& err) {
    std::optional<std::vector<SavedWord>> words = ReadSavedWords(database, progress);
    if (!words)
        throw std::runtime_error("database file not found: " + database.string());
    // The books are at hand where the database is the one on the reader.
    const SentenceTally sentences =
        AddBookSentences(*words, ReaderVolumeOf(database).value_or(std::filesystem::path()));
    out << WordsInFormat(*words, line.wordsFormat);
    out.flush();
    for (const SavedWord& word : *words) {
        if (word.length == 0)
            continue;
        std::string shown;
        for (const char c : word.text)
            shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
        err << "marvik-cli: a saved word of " << word.length << " characters is cut to its first " << kLongestSavedWord
            << ": " << shown << '\n';
    }
    if (const std::string lacking = sentences.Summary(); !lacking.empty())
        err << "marvik-cli: " << lacking << '\n';
    return kExitOk;
}
