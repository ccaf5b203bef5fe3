#include "SavedWordsModel.h"

#include "RecordTime.h"
#include "Utf8Text.h"

namespace {

// "2024-11-19 10:00", as the library table shows a date; the stored value where it has another shape.
QString ShownDate(const std::string& stored) {
    const std::string time = RecordTime(stored);
    if (time.size() != 24 || time.back() != 'Z')
        return DecodeUtf8(stored);
    return DecodeUtf8(time.substr(0, 10) + " " + time.substr(11, 5));
}

} // namespace

void SavedWordsModel::SetWords(std::vector<SavedWord> words) {
    beginResetModel();
    m_words = std::move(words);
    endResetModel();
}

void SavedWordsModel::SetSentences(std::vector<std::string> sentences) {
    if (sentences.size() != m_words.size() || m_words.empty())
        return;
    for (std::size_t w = 0; w < m_words.size(); ++w)
        m_words[w].sentence = std::move(sentences[w]);
    emit dataChanged(index(0, Sentence), index(rowCount() - 1, Sentence));
}

int SavedWordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_words.size());
}

int SavedWordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QVariant SavedWordsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SavedWord& word = m_words[static_cast<std::size_t>(index.row())];
    if (role == kIndexRole)
        return index.row();
    if (role == Qt::ToolTipRole && index.column() == Sentence && !word.sentence.empty())
        return DecodeUtf8(word.sentence);
    if (role == Qt::ToolTipRole && index.column() == Word)
        return word.length == 0 ? DecodeUtf8(word.text)
                                : DecodeUtf8(word.text) + QString("\n(a word of %1 characters, cut to its first %2)")
                                                              .arg(word.length)
                                                              .arg(kLongestSavedWord);
    if (role != Qt::DisplayRole && role != kSortRole)
        return {};
    switch (index.column()) {
    case Word:
        return DecodeUtf8(word.text);
    case Language:
        return DecodeUtf8(word.language);
    case Book:
        return DecodeUtf8(word.bookTitle);
    case Saved:
        return role == kSortRole ? DecodeUtf8(RecordTime(word.created)) : ShownDate(word.created);
    case Sentence:
        return DecodeUtf8(word.sentence);
    default:
        return {};
    }
}

QVariant SavedWordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kHeaders[] = {"word", "language", "book", "saved", "sentence from the book"};
    return section >= 0 && section < Count ? QString(kHeaders[section]) : QVariant();
}
