#include "LibraryTab.h"

#include "BookCovers.h"
#include "BookFile.h"
#include "BookHighlightsView.h"
#include "BookReader.h"
#include "LibraryBooksFilter.h"
#include "LibraryBooksModel.h"
#include "LoadedLibrary.h"
#include "NamedWidgets.h"
#include "NotePreview.h"
#include "ReadableColumn.h"
#include "WindowProgress.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <array>

LibraryTab::LibraryTab(std::function<ReadingOptions()> reading, QWidget* parent)
    : QWidget(parent), m_reading(std::move(reading)) {
    setObjectName("libraryTab");
    m_pages = Named<QStackedWidget>("libraryPages");
    m_pages->addWidget(BuildStartPage());
    m_pages->addWidget(BuildLibraryPage());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_pages);
}

LibraryTab::~LibraryTab() = default;

QWidget* LibraryTab::BuildStartPage() {
    auto* page = Named<QWidget>("libraryStartPage");
    m_startText = Named<QLabel>("libraryStartText",
                                "<h3>No database is loaded.</h3>"
                                "<p>Plug in the reader and its database is loaded at once, or open a database file "
                                "(Ctrl+O): a copy of <tt>KoboReader.sqlite</tt> or a backup.</p>");
    m_startText->setWordWrap(true);
    m_startText->setAlignment(Qt::AlignCenter);
    m_readerButton = Named<QPushButton>("startReaderButton", "load from the &reader");
    m_openFileButton = Named<QPushButton>("startOpenFileButton", "&open database file...");
    m_lastButton = Named<QPushButton>("startLastButton", "open &last database");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {m_readerButton, m_openFileButton, m_lastButton})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(page);
    column->addStretch(1);
    column->addWidget(m_startText);
    column->addLayout(buttons);
    column->addStretch(2);
    connect(m_readerButton, &QPushButton::clicked, this, &LibraryTab::ReaderRequested);
    connect(m_openFileButton, &QPushButton::clicked, this, &LibraryTab::OpenFileRequested);
    connect(m_lastButton, &QPushButton::clicked, this, &LibraryTab::LastDatabaseRequested);
    OfferStarts(false, false);
    return page;
}

QWidget* LibraryTab::BuildLibraryPage() {
    m_searchPane = new HighlightSearchPane(
        [this](const QString& volumeId, const QString& bookmarkId) { return ShowResult(volumeId, bookmarkId); }, this);

    m_filter = Named<QLineEdit>("libraryFilter");
    m_filter->setPlaceholderText("filter books");
    m_filter->setClearButtonEnabled(true);
    m_model = new LibraryBooksModel(this);
    m_covers = new BookCovers(this);
    m_model->SetCovers(m_covers);
    m_proxy = new LibraryBooksFilter(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(LibraryBooksModel::kSortRole);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_table = Named<QTableView>("libraryTable");
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(LibraryBooksModel::Title, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // The covers first, shown only where the reader's files are at hand (SetLibrary).
    m_table->horizontalHeader()->moveSection(LibraryBooksModel::Cover, 0);
    m_table->setColumnHidden(LibraryBooksModel::Cover, true);
    // The title takes what the other columns leave, and stays readable in a narrow window, which then scrolls sideways.
    new ReadableColumn(*m_table, LibraryBooksModel::Title, 22);
    connect(m_table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &LibraryTab::FitColumns);
    m_table->installEventFilter(this);
    auto* books = new QWidget;
    auto* booksColumn = new QVBoxLayout(books);
    booksColumn->setContentsMargins(0, 0, 0, 0);
    booksColumn->addLayout(BuildFilterRow());
    booksColumn->addWidget(m_table, 1);
    auto* left = Named<QSplitter>("libraryLeftSplit", Qt::Vertical);
    left->addWidget(books);
    left->addWidget(m_searchPane->ResultsPanel());

    m_highlights = new BookHighlightsView;
    m_bookReader = new BookReader(this);
    m_exportSelected = Named<QPushButton>("exportSelectedButton", "e&xport selected highlights");
    m_exportSelected->setEnabled(false);
    auto* highlights = new QWidget;
    auto* highlightsColumn = new QVBoxLayout(highlights);
    highlightsColumn->setContentsMargins(0, 0, 0, 0);
    highlightsColumn->addWidget(m_highlights, 1);
    highlightsColumn->addWidget(m_exportSelected, 0, Qt::AlignRight);
    m_notePreview = new NotePreview(m_reading);
    m_bookPane = Named<QTabWidget>("bookPane");
    m_bookPane->setDocumentMode(true);
    m_bookPane->addTab(highlights, "hi&ghlights");
    m_bookPane->addTab(m_notePreview, "note pre&view");
    QWidget* right = m_bookPane;

    auto* split = Named<QSplitter>("librarySplit", Qt::Horizontal);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);

    auto* page = Named<QWidget>("libraryPage");
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(8, 8, 8, 2);
    column->addWidget(m_searchPane->QueryBar());
    column->addWidget(split, 1);

    connect(m_filter, &QLineEdit::textChanged, m_proxy, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &LibraryTab::ShowCurrentBook);
    connect(m_table, &QTableView::doubleClicked, this, &LibraryTab::ExportCurrentBook);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this, &LibraryTab::ShowBookMenu);
    m_highlights->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_highlights, &QWidget::customContextMenuRequested, this, &LibraryTab::ShowHighlightsMenu);
    connect(m_highlights, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_exportSelected->setEnabled(!m_highlights->SelectedIds().empty()); });
    connect(m_exportSelected, &QPushButton::clicked, this, [this] {
        if (const std::vector<std::string> ids = m_highlights->SelectedIds(); !ids.empty())
            emit ExportSelectedRequested(CurrentVolume().toStdString(), ids);
    });
    return page;
}

// The filter text, and beside it the shelf a book must be on.
QLayout* LibraryTab::BuildFilterRow() {
    m_shelf = Named<QComboBox>("shelfFilter");
    m_shelf->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_shelf->setToolTip("Show only the books on one of the reader's collections");
    connect(m_shelf, &QComboBox::currentIndexChanged, this,
            [this] { m_proxy->SetShelf(m_shelf->currentData().toString()); });
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_filter, 1);
    row->addWidget(m_shelf);
    return row;
}

void LibraryTab::SetLibrary(std::shared_ptr<const LoadedLibrary> library) {
    // Covers come from the reader's own volume, where the reader's database in the library is the one on it.
    m_covers->SetVolume(library && library->Database() != nullptr
                            ? ReaderVolumeOf(library->DatabasePath()).value_or(std::filesystem::path())
                            : std::filesystem::path());
    m_table->setColumnHidden(LibraryBooksModel::Cover, !m_covers->HasVolume());
    const int textRow = m_table->fontMetrics().height() + 6;
    m_table->verticalHeader()->setDefaultSectionSize(m_covers->HasVolume() ? std::max(textRow, BookCovers::kHeight + 4)
                                                                           : textRow);
    m_bookReader->SetLibrary(library);
    m_notePreview->SetLibrary(std::move(library));
}

void LibraryTab::ShowOverview(std::shared_ptr<const LibraryOverview> overview) {
    m_highlights->ShowVolume(std::nullopt);
    m_notePreview->SetVolume({});
    m_bookReader->Stop();
    m_overview = std::move(overview);
    m_model->SetOverview(m_overview);
    // Between two loads there is none: the shelf chosen waits for the next library.
    if (m_overview) {
        FillShelfChoice(*m_shelf, *m_model);
        m_proxy->SetShelf(m_shelf->currentData().toString());
    }
    FitColumns();
    m_searchPane->SetOverview(m_overview);
    m_pages->setCurrentIndex(m_overview ? 1 : 0);
}

namespace {

// The width a column's widest text asks for. Measuring every row through the view took longer than the rest of a
// load's showing of the table (the view measures them all while the table is hidden): the texts near the longest are
// measured in the view's font, and the widest of them through the view, as the view measures a cell.
int WidestTextWidth(const QTableView& view, int column) {
    view.ensurePolished();
    const QAbstractItemModel& model = *view.model();
    std::vector<QString> texts;
    texts.reserve(static_cast<std::size_t>(model.rowCount()));
    qsizetype longest = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.push_back(model.index(row, column).data().toString());
        longest = std::max(longest, texts.back().size());
    }
    const QFontMetrics metrics(view.font());
    int widestRow = -1, widest = -1;
    for (std::size_t row = 0; row < texts.size(); ++row) {
        if (texts[row].size() * 4 < longest * 3)
            continue;
        if (const int width = metrics.horizontalAdvance(texts[row]); width > widest) {
            widest = width;
            widestRow = static_cast<int>(row);
        }
    }
    if (widestRow < 0)
        return 0;
    // The grid's line beside the cell's own hint.
    return view.sizeHintForIndex(model.index(widestRow, column)).width() + (view.showGrid() ? 1 : 0);
}

} // namespace

// The figures as narrow as what they hold and their captions, the author within reason, the title all the rest: at
// 960 px the table shows every column without scrolling sideways. The header would keep room for a sort arrow beside
// every caption; only the sorted column gets it.
void LibraryTab::FitColumns() {
    QHeaderView* header = m_table->horizontalHeader();
    std::array<int, LibraryBooksModel::Count> caption{};
    header->setSortIndicatorShown(false);
    for (int column = 0; column < LibraryBooksModel::Count; ++column)
        caption[column] = header->sectionSizeHint(column);
    header->setSortIndicatorShown(true);
    const int sorted = header->sortIndicatorSection();
    if (sorted >= 0 && sorted < LibraryBooksModel::Count)
        caption[sorted] = header->sectionSizeHint(sorted);
    for (int column = LibraryBooksModel::Highlights; column < LibraryBooksModel::Cover; ++column)
        header->resizeSection(column, std::max(WidestTextWidth(*m_table, column), caption[column]));
    // Its hint would read every picture at once.
    header->resizeSection(LibraryBooksModel::Cover,
                          std::max(BookCovers::kWidth + 8, caption[LibraryBooksModel::Cover]));
    header->resizeSection(LibraryBooksModel::Author, std::clamp(WidestTextWidth(*m_table, LibraryBooksModel::Author),
                                                                caption[LibraryBooksModel::Author], kAuthorWidth));
}

void LibraryTab::PauseSearch() {
    m_bookReader->Stop();
    m_searchPane->Pause();
}

void LibraryTab::ResumeSearch() {
    // A book whose reading a cancelled load dropped is read again.
    if (!m_highlights->Volume() && !CurrentVolume().isEmpty())
        ShowCurrentBook();
    m_searchPane->Resume();
}

bool LibraryTab::ShowResult(const QString& volumeId, const QString& bookmarkId) {
    if (!SelectBook(volumeId))
        return false;
    if (!bookmarkId.isEmpty())
        m_highlights->ScrollToBookmark(bookmarkId);
    return true;
}

void LibraryTab::SetNoteTemplate(const QString& name) {
    m_notePreview->SetTemplateSet(name);
}

void LibraryTab::OfferStarts(bool reader, bool lastDatabase) {
    m_readerButton->setEnabled(reader);
    m_lastButton->setEnabled(lastDatabase);
}

QString LibraryTab::CurrentVolume() const {
    return m_table->currentIndex().data(LibraryBooksModel::kVolumeIdRole).toString();
}

bool LibraryTab::SelectBook(const QString& volumeId) {
    const int row = m_model->RowOf(volumeId);
    if (row < 0)
        return false;
    QModelIndex shown = m_proxy->mapFromSource(m_model->index(row, 0));
    if (!shown.isValid()) {
        m_filter->clear();
        shown = m_proxy->mapFromSource(m_model->index(row, 0));
    }
    if (!shown.isValid()) {
        m_shelf->setCurrentIndex(0); // every shelf
        shown = m_proxy->mapFromSource(m_model->index(row, 0));
    }
    if (m_table->currentIndex().row() != shown.row() || CurrentVolume() != volumeId)
        m_table->setCurrentIndex(shown);
    m_table->scrollTo(shown);
    return true;
}

void LibraryTab::ShowCurrentBook() {
    const QString volume = CurrentVolume();
    m_notePreview->SetVolume(volume);
    if (volume.isEmpty()) {
        m_highlights->ShowVolume(std::nullopt);
        return;
    }
    // Dates, types and colours are shown whatever the format; deleted highlights as the options say.
    ReadingOptions options = m_reading();
    options.wholeRecords = true;
    m_exportSelected->setEnabled(false);
    const int row = m_model->RowOf(volume);
    const std::size_t bookmarks =
        row < 0 ? 0 : m_overview->books[std::size_t(row)].highlights + m_overview->books[std::size_t(row)].notes;
    if (bookmarks > BookReader::kReadAtOnce)
        m_highlights->ShowReading(bookmarks);
    m_bookReader->Read(volume.toStdString(), options, bookmarks,
                       [this](std::optional<AnnotatedVolume> read) { m_highlights->ShowVolume(std::move(read)); });
}

void LibraryTab::ExportCurrentBook() {
    const QString volume = CurrentVolume();
    if (volume.isEmpty())
        return;
    if (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier)
        emit RepairRequested(volume.toStdString());
    else
        emit ExportRequested(volume.toStdString());
}

bool LibraryTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ExportCurrentBook();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
