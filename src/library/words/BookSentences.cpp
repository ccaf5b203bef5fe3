#include "BookSentences.h"

#include "BookFile.h"
#include "EEpubError.h"
#include "EpubPackage.h"
#include "EpubText.h"
#include "SearchFolding.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>

namespace {

// A book's text is read up to this much; no novel comes near it.
constexpr std::size_t kLongestBookText = std::size_t{64} << 20;

bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || std::isalnum(byte) != 0;
}

bool EndsSentence(std::string_view text, std::size_t at) {
    const char c = text[at];
    if (c == '\n' || c == '!' || c == '?')
        return true;
    if (c == '.')
        return at + 1 >= text.size() || text[at + 1] == ' ' || text[at + 1] == '\n' || text[at + 1] == '"' ||
               static_cast<unsigned char>(text[at + 1]) >= 0x80;
    return text.substr(at).starts_with("\xE2\x80\xA6") && (at + 3 >= text.size() || text[at + 3] == ' '); // …
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
        if (blank) {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// Where the folded word first stands on its own in the folded text, else first occurs at all.
std::optional<std::size_t> FindWord(std::string_view folded, std::string_view word) {
    std::optional<std::size_t> anywhere;
    for (std::size_t at = folded.find(word); at != std::string_view::npos; at = folded.find(word, at + 1)) {
        if (!anywhere)
            anywhere = at;
        const bool before = at == 0 || !IsWordByte(folded[at - 1]);
        const bool after = at + word.size() >= folded.size() || !IsWordByte(folded[at + word.size()]);
        if (before && after)
            return at;
    }
    return anywhere;
}

std::string SentenceAt(std::string_view text, std::size_t begin, std::size_t end, std::size_t longest) {
    std::size_t start = begin;
    while (start > 0 && !EndsSentence(text, start - 1))
        --start;
    std::size_t stop = end;
    while (stop < text.size() && !EndsSentence(text, stop))
        ++stop;
    if (stop < text.size() && text[stop] != '\n')
        stop += text.substr(stop).starts_with("\xE2\x80\xA6") ? 3 : 1;
    // Around the word, within bounds, never inside a character.
    std::string before, after;
    if (begin - start > longest / 2) {
        start = begin - longest / 2;
        while (start < begin && IsContinuation(text[start]))
            ++start;
        before = "\xE2\x80\xA6";
    }
    if (stop - end > longest / 2) {
        stop = end + longest / 2;
        while (stop > end && IsContinuation(text[stop]))
            --stop;
        after = "\xE2\x80\xA6";
    }
    return before + OneLine(text.substr(start, stop - start)) + after;
}

// The book's text and its folding, kept while its words are looked up.
struct FoldedBook {
    std::string text;
    FoldedText folded;
};

FoldedBook ReadBook(const std::filesystem::path& file) {
    const EpubArchive book(file);
    const EpubPackage package = ReadEpubPackage(book);
    FoldedBook read;
    for (const std::string& entry : package.spine) {
        read.text += EpubDocumentText(book.Read(entry));
        read.text += '\n';
        if (read.text.size() > kLongestBookText) {
            read.text.resize(kLongestBookText);
            break;
        }
    }
    read.folded = FoldForSearch(read.text, true);
    return read;
}

std::string SentenceInBook(const FoldedBook& book, std::string_view word, std::size_t longest) {
    const std::string foldedWord = FoldForSearch(word).text;
    if (foldedWord.empty())
        return {};
    const std::optional<std::size_t> at = FindWord(book.folded.text, foldedWord);
    if (!at)
        return {};
    const std::size_t begin = book.folded.origin[*at];
    const std::size_t end = book.folded.origin[*at + foldedWord.size()];
    return SentenceAt(book.text, begin, end, longest);
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

} // namespace

std::string SentenceAround(std::string_view text, std::string_view word, std::size_t longest) {
    FoldedBook book{std::string(text), FoldForSearch(text, true)};
    return SentenceInBook(book, word, longest);
}

std::string SentenceTally::Summary() const {
    if (Lacking() == 0)
        return {};
    std::string summary = Counted(Lacking(), "saved word has", "saved words have") + " no sentence from the book:";
    std::string reasons;
    const auto add = [&reasons](std::size_t count, std::string_view one, std::string_view many) {
        if (count > 0)
            reasons += (reasons.empty() ? " " : ", ") + Counted(count, one, many);
    };
    add(bookNotAtHand, "whose book is not at hand", "whose books are not at hand");
    add(bookUnreadable, "whose book cannot be read", "whose books cannot be read");
    add(notInBook, "not found in its book", "not found in their books");
    add(wordCut, "too long to be a word", "too long to be words");
    return summary + reasons;
}

SentenceTally AddBookSentences(std::vector<SavedWord>& words, const std::filesystem::path& volumeRoot) {
    SentenceTally tally;
    // One book at a time, each read once.
    std::vector<std::size_t> order(words.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&words](std::size_t a, std::size_t b) { return words[a].volumeId < words[b].volumeId; });
    std::string openId;
    std::optional<FoldedBook> open;
    bool unreadable = false, first = true;
    for (const std::size_t k : order) {
        SavedWord& word = words[k];
        if (word.length > 0) {
            ++tally.wordCut;
            continue;
        }
        if (first || word.volumeId != openId) {
            first = false;
            openId = word.volumeId;
            open.reset();
            unreadable = false;
            const std::optional<std::filesystem::path> file =
                volumeRoot.empty() ? std::nullopt : BookFileOnVolume(volumeRoot, word.volumeId);
            if (file) {
                try {
                    open = ReadBook(*file);
                } catch (const EEpubError&) {
                    unreadable = true;
                }
            }
        }
        if (!open) {
            ++(unreadable ? tally.bookUnreadable : tally.bookNotAtHand);
            continue;
        }
        word.sentence = SentenceInBook(*open, word.text, 300);
        ++(word.sentence.empty() ? tally.notInBook : tally.found);
    }
    return tally;
}
