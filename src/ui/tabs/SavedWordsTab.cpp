#include "SavedWordsTab.h"

#include "BookFile.h"
#include "NamedWidgets.h"
#include "ReplaceFile.h"
#include "SavedWordsModel.h"
#include "Utf8Text.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTableView>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>

namespace {

struct WordsFileFormat {
    const char* caption;
    const char* name; // as marvik-cli words --format takes it
    const char* fileName;
    const char* filter;
};

// Anki's first: the words are saved to be learnt.
constexpr std::array<WordsFileFormat, 4> kFormats = {{
    {"Anki cards", "anki", "Saved words.txt", "Text files (*.txt)"},
    {"text", "text", "Saved words.txt", "Text files (*.txt)"},
    {"CSV", "csv", "Saved words.csv", "CSV files (*.csv)"},
    {"JSON", "json", "Saved words.json", "JSON files (*.json)"},
}};

} // namespace

SavedWordsTab::SavedWordsTab(QWidget* parent) : QWidget(parent) {
    setObjectName("wordsTab");
    m_filter = Named<QLineEdit>("wordsFilter");
    m_filter->setPlaceholderText("filter words");
    m_filter->setClearButtonEnabled(true);
    m_model = new SavedWordsModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(SavedWordsModel::kSortRole);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_table = Named<QTableView>("wordsTable");
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(SavedWordsModel::Saved, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // The sentence takes what the others leave; a word or sentence cut short is read whole in its tooltip.
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(SavedWordsModel::Sentence, QHeaderView::Stretch);
    header->resizeSection(SavedWordsModel::Book, 24 * m_table->fontMetrics().averageCharWidth());
    header->setSectionResizeMode(SavedWordsModel::Language, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(SavedWordsModel::Saved, QHeaderView::ResizeToContents);
    header->resizeSection(SavedWordsModel::Word, 14 * m_table->fontMetrics().averageCharWidth());
    m_format = Named<QComboBox>("wordsFormat");
    for (const WordsFileFormat& format : kFormats)
        m_format->addItem(format.caption, QString(format.name));
    m_exportButton = Named<QPushButton>("exportWordsButton", "e&xport words...");
    m_status = Named<QLabel>("wordsStatus");
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* exportRow = new QHBoxLayout;
    exportRow->addWidget(m_status, 1);
    exportRow->addWidget(m_format);
    exportRow->addWidget(m_exportButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 2);
    column->addWidget(m_filter);
    column->addWidget(m_table, 1);
    column->addLayout(exportRow);

    connect(m_filter, &QLineEdit::textChanged, m_proxy, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_exportButton, &QPushButton::clicked, this, [this] { ExportWords(); });
    chooseWordsFile = [this](const QString& offered) {
        const auto format = static_cast<std::size_t>(std::max(0, m_format->currentIndex()));
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QFileDialog::getSaveFileName(this, "export words", QDir(documents).filePath(offered),
                                            kFormats[format].filter);
    };
}

void SavedWordsTab::ShowDatabase(const QString& database) {
    m_database = database;
    m_stale = true;
    if (isVisible())
        ReadIfStale();
}

void SavedWordsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ReadIfStale();
}

void SavedWordsTab::ReadIfStale() {
    if (!m_stale)
        return;
    m_stale = false;
    ++m_sentencesAsked; // what is still read for the words shown before is not shown
    m_sentences = {};
    m_model->SetWords({});
    m_exportButton->setEnabled(false);
    if (m_database.isEmpty()) {
        m_status->setText("no database loaded");
        return;
    }
    // A reader's list of words is a few thousand at most: read at once.
    try {
        SilentProgress silent;
        std::optional<std::vector<SavedWord>> words = ReadSavedWords(ToPath(m_database), silent);
        if (!words) {
            m_status->setText("database file not found: " + m_database);
            return;
        }
        const std::size_t count = words->size();
        m_model->SetWords(std::move(*words));
        m_counted = count == 0 ? QString("no saved words") : QString("%1 saved words").arg(count);
        m_status->setText(m_counted);
        m_exportButton->setEnabled(count > 0);
    } catch (const std::exception& error) {
        m_status->setText(DecodeUtf8(error.what()));
        return;
    }
    ReadSentences();
}

// A book's EPUB is opened and read once for all its words, which takes long for many books: beside the window.
void SavedWordsTab::ReadSentences() {
    m_sentencesShown = false;
    if (m_model->Words().empty()) {
        m_sentences = {};
        return;
    }
    const std::filesystem::path volume = ReaderVolumeOf(ToPath(m_database)).value_or(std::filesystem::path());
    m_sentences = QtConcurrent::run([words = m_model->Words(), volume]() mutable {
        SentencesRead read;
        read.tally = AddBookSentences(words, volume);
        for (SavedWord& word : words)
            read.sentences.push_back(std::move(word.sentence));
        return read;
    });
    // The words the sentences were read for: a later reading replaces them, and its own is shown instead.
    const std::uint64_t asked = ++m_sentencesAsked;
    m_sentences.then(this, [this, asked](const SentencesRead&) {
        if (asked == m_sentencesAsked)
            ShowSentences();
    });
}

void SavedWordsTab::ShowSentences() {
    if (m_sentencesShown || !m_sentences.isValid())
        return;
    m_sentencesShown = true;
    SentencesRead read = m_sentences.result();
    m_model->SetSentences(std::move(read.sentences));
    const std::string lacking = read.tally.Summary();
    m_status->setText(lacking.empty() ? m_counted : m_counted + " \u00B7 " + DecodeUtf8(lacking));
}

WordsFormat SavedWordsTab::ChosenFormat() const {
    return WordsFormatNamed(EncodeUtf8(m_format->currentData().toString())).value_or(WordsFormat::Anki);
}

bool SavedWordsTab::ExportWords() {
    const auto format = static_cast<std::size_t>(std::max(0, m_format->currentIndex()));
    const QString file = chooseWordsFile(kFormats[format].fileName);
    if (file.isEmpty())
        return false;
    // The words go out with their sentences: a reading still under way is waited for.
    if (m_sentences.isValid() && !m_sentencesShown) {
        m_sentences.waitForFinished();
        ShowSentences();
    }
    // What the filter shows, in the order saved.
    std::vector<int> shown;
    for (int row = 0; row < m_proxy->rowCount(); ++row)
        shown.push_back(m_proxy->index(row, 0).data(SavedWordsModel::kIndexRole).toInt());
    std::sort(shown.begin(), shown.end());
    std::vector<SavedWord> words;
    for (const int index : shown)
        words.push_back(m_model->Words()[static_cast<std::size_t>(index)]);
    try {
        ReplaceFile(ToPath(file), WordsInFormat(words, ChosenFormat()));
    } catch (const std::exception& error) {
        m_status->setText(DecodeUtf8(error.what()));
        return false;
    }
    m_status->setText(QString("%1 words written to %2").arg(words.size()).arg(file));
    return true;
}
