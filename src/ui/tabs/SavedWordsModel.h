#pragma once

#include "SavedWords.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

// The words tab's table: one row per saved word, oldest first, with the sentence of its book that holds it once read.
// Qt::DisplayRole gives the text shown, kSortRole what the column sorts by (the date as stored, so that it sorts as
// time does), kIndexRole the word's place in Words().
class SavedWordsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Word, Language, Book, Saved, Sentence, Count };
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kIndexRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void SetWords(std::vector<SavedWord> words);
    // Each word's sentence, in the order of Words() (AddBookSentences on a copy of them).
    void SetSentences(std::vector<std::string> sentences);
    const std::vector<SavedWord>& Words() const { return m_words; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<SavedWord> m_words;
};
