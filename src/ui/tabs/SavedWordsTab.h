#pragma once

#include "SavedWordsFormats.h"

#include <QString>
#include <QWidget>

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
// import by default) to a file the user picks. The words are read when the tab is shown after the database changed.
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReadIfStale();
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
};
