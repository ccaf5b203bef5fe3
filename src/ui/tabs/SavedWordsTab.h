#pragma once

#include "SavedWordsFormats.h"

#include "BookSentences.h"

#include <QFuture>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class SavedWordsModel;

// The "words" tab: the words the reader saved from its dictionaries in the loaded database, with their language,
// book and date, filtered as the other lists are, and written in the formats of marvik-cli words (Anki's text
// import by default) to a file the user picks. The words are read when the tab is shown after the database changed;
// the sentence of each word's book that holds it is read beside the window after them, where the book is on the
// reader's volume, and the status says how many lack one and why.
class SavedWordsTab : public QWidget {
    Q_OBJECT

public:
    explicit SavedWordsTab(QWidget* parent = nullptr);

    // Follows the loaded database (empty: none).
    void ShowDatabase(const QString& database);
    // Writes the words the filter shows, in the order they were saved, in the chosen format; false when nothing was
    // written (no file chosen, or it could not be written: the status says why).
    bool ExportWords();
    // Asks where the words go, the format's file name offered; empty for no file. Tests replace it.
    std::function<QString(const QString& offered)> chooseWordsFile;

    QTableView* Table() const { return m_table; }
    QLineEdit* FilterEdit() const { return m_filter; }
    QComboBox* FormatChoice() const { return m_format; }
    QPushButton* ExportButton() const { return m_exportButton; }
    QLabel* Status() const { return m_status; }
    QSortFilterProxyModel* Proxy() const { return m_proxy; }
    // Whether the words' sentences are still being read.
    bool ReadingSentences() const { return m_sentences.isValid() && !m_sentencesShown; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Each word's sentence, in the order of the model's words, and why any lack one.
    struct SentencesRead {
        std::vector<std::string> sentences;
        SentenceTally tally;
    };

    void ReadIfStale();
    void ReadSentences();
    void ShowSentences();
    WordsFormat ChosenFormat() const;

    QString m_database;
    bool m_stale = true;
    QLineEdit* m_filter = nullptr;
    QTableView* m_table = nullptr;
    SavedWordsModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QComboBox* m_format = nullptr;
    QPushButton* m_exportButton = nullptr;
    QLabel* m_status = nullptr;
    QString m_counted; // the status before the sentences are read: how many words
    QFuture<SentencesRead> m_sentences;
    bool m_sentencesShown = false;
    std::uint64_t m_sentencesAsked = 0;
};
