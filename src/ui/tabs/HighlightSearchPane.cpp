#include "HighlightSearchPane.h"

#include "MarkedTextDelegate.h"
#include "NamedWidgets.h"
#include "SearchFolding.h"
#include "SearchResultsModel.h"
#include "WindowProgress.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>

#include <future>
#include <malloc.h>

namespace {

QDateEdit* DateEdit(const char* name, QDate date) {
    auto* edit = Named<QDateEdit>(name, date);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat("yyyy-MM-dd");
    edit->setEnabled(false);
    return edit;
}

} // namespace

HighlightSearchPane::HighlightSearchPane(std::function<bool(const QString&, const QString&)> show, QObject* parent)
    : QObject(parent), m_show(std::move(show)) {
    BuildQueryBar();
    BuildResultsPanel();
}

HighlightSearchPane::~HighlightSearchPane() {
    m_folding.waitForFinished();
}

void HighlightSearchPane::BuildQueryBar() {
    m_search = Named<QLineEdit>("librarySearch");
    m_search->setPlaceholderText("search all highlights and notes (Ctrl+F)");
    m_search->setClearButtonEnabled(true);
    m_color = Named<QComboBox>("searchColor");
    m_color->addItem("any colour", QString());
    for (const char* color : {"yellow", "pink", "blue", "green", "grey"})
        m_color->addItem(color, QString(color));
    m_type = Named<QComboBox>("searchType");
    m_type->addItem("any type", QString());
    for (const char* type : {"highlight", "note", "dogear", "markup"})
        m_type->addItem(type, QString(type));
    m_datesBox = Named<QCheckBox>("searchDatesBox", "from");
    m_from = DateEdit("searchFrom", QDate::currentDate().addYears(-1));
    m_to = DateEdit("searchTo", QDate::currentDate());
    m_queryBar = Named<QWidget>("librarySearchBar");
    auto* row = new QHBoxLayout(m_queryBar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_search, 1);
    row->addWidget(m_color);
    row->addWidget(m_type);
    row->addWidget(m_datesBox);
    row->addWidget(m_from);
    row->addWidget(new QLabel("to"));
    row->addWidget(m_to);
    // Only the archive knows what the reader no longer has.
    m_goneBox = Named<QCheckBox>("searchGoneBox", "gone from the reader");
    m_goneBox->setToolTip("Only the highlights the reader no longer has, as the archive keeps them");
    m_goneBox->hide();
    row->addWidget(m_goneBox);

    connect(m_search, &QLineEdit::textChanged, this, &HighlightSearchPane::Search);
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        const QModelIndex current = m_results->currentIndex();
        OpenResult(current.isValid() ? current : m_resultsModel->index(0, 0, m_resultsModel->index(0, 0)));
    });
    connect(m_color, &QComboBox::currentIndexChanged, this, &HighlightSearchPane::Search);
    connect(m_type, &QComboBox::currentIndexChanged, this, &HighlightSearchPane::Search);
    connect(m_datesBox, &QCheckBox::toggled, this, [this](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
        Search();
    });
    connect(m_goneBox, &QCheckBox::toggled, this, &HighlightSearchPane::Search);
    connect(m_from, &QDateEdit::dateChanged, this, &HighlightSearchPane::Search);
    connect(m_to, &QDateEdit::dateChanged, this, &HighlightSearchPane::Search);
}

void HighlightSearchPane::BuildResultsPanel() {
    m_searchSummary = Named<QLabel>("searchSummary");
    m_resultsModel = new SearchResultsModel(this);
    m_results = Named<QTreeView>("searchResults");
    m_results->setModel(m_resultsModel);
    m_results->setItemDelegate(new MarkedTextDelegate(m_results));
    m_results->setHeaderHidden(true);
    m_results->setWordWrap(true);
    m_results->setUniformRowHeights(false);
    m_results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows' heights are asked for only as they come into sight, however many results there are.
    m_results->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_results->header()->setStretchLastSection(true);
    connect(m_results->header(), &QHeaderView::sectionResized, m_results,
            [this] { m_results->doItemsLayout(); }); // wrapped again to the new width
    m_resultsPanel = new QWidget;
    auto* column = new QVBoxLayout(m_resultsPanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_searchSummary);
    column->addWidget(m_results, 1);
    m_resultsPanel->hide();
    connect(m_results, &QTreeView::activated, this, &HighlightSearchPane::OpenResult);
    connect(m_results, &QTreeView::clicked, this, &HighlightSearchPane::OpenResult);
}

void HighlightSearchPane::SetOverview(std::shared_ptr<const LibraryOverview> overview) {
    Pause();
    m_overview = std::move(overview);
    const bool archive = m_overview && m_overview->fromArchive;
    if (!archive)
        m_goneBox->setChecked(false);
    m_goneBox->setVisible(archive);
    Resume();
    Search();
}

void HighlightSearchPane::Pause() {
    // The folding in the background reads the overview: it ends before the overview may go.
    m_folding.waitForFinished();
    m_folding = {};
    m_searcher.reset();
}

// Every text is folded beside the window, which shows the table meanwhile; a search that comes first waits for it.
// The chapters' headings, where the load left them (a pass over the whole content table), are read on a thread of
// their own meanwhile. Where they cannot be read, each part's ContentID stands as its heading, as it does for a part
// that no content row describes.
void HighlightSearchPane::Resume() {
    if (!m_overview || m_searcher || m_folding.isValid())
        return;
    m_folding = QtConcurrent::run(
        &m_searchThreads,
        [](std::shared_ptr<const LibraryOverview> overview) {
            std::future<std::optional<ChapterHeadings>> headings =
                std::async(std::launch::async, [&overview]() -> std::optional<ChapterHeadings> {
                    try {
                        return ReadChapterHeadings(*overview);
                    } catch (...) {
                        return std::nullopt;
                    }
                });
            auto search = std::make_shared<HighlightSearch>(*overview);
            if (std::optional<ChapterHeadings> read = headings.get())
                search->SetHeadings(std::move(*read));
            // What both freed on their threads goes back to the system, as after the load itself: the next load would
            // otherwise come on top of it.
            malloc_trim(0);
            return std::shared_ptr<const HighlightSearch>(std::move(search));
        },
        m_overview);
}

void HighlightSearchPane::Focus() {
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

std::shared_ptr<const HighlightSearch> HighlightSearchPane::Searcher() {
    if (!m_searcher && m_folding.isValid()) {
        m_searcher = m_folding.result();
        m_folding = {};
    }
    return m_searcher;
}

HighlightFilter HighlightSearchPane::Filter() const {
    HighlightFilter filter;
    if (const QString color = m_color->currentData().toString(); !color.isEmpty())
        filter.colors = {color.toStdString()};
    if (const QString type = m_type->currentData().toString(); !type.isEmpty())
        filter.types = {type.toStdString()};
    filter.goneOnly = m_goneBox->isChecked();
    if (m_datesBox->isChecked()) {
        filter.from = m_from->date().toString(Qt::ISODate).toStdString();
        filter.to = m_to->date().toString(Qt::ISODate).toStdString();
    }
    return filter;
}

void HighlightSearchPane::Search() {
    const HighlightFilter filter = Filter();
    const bool searching = !m_search->text().isEmpty() || !filter.colors.empty() || !filter.types.empty() ||
                           !filter.from.empty() || filter.goneOnly;
    // With nothing loaded, or while a load reads the next library, there is nothing to search.
    const bool searchable = m_overview && (m_searcher || m_folding.isValid());
    m_resultsPanel->setVisible(searching && searchable);
    if (!searching || !searchable) {
        m_searchesShown = ++m_searchesAsked;
        m_resultsModel->Clear();
        return;
    }
    const std::string query = m_search->text().toStdString();
    const std::uint64_t asked = ++m_searchesAsked;
    if (m_overview->highlights.size() <= kSearchAtOnce) {
        ShowResults(GroupSearchResults(*m_overview, Searcher()->Find(query, filter)), query);
        return;
    }
    // A search over very many highlights runs beside the window, so that the next keystroke need not wait for it
    // (nor for the folding of every text, on the first one); only the last one asked for is shown.
    QFuture<std::shared_ptr<const HighlightSearch>> search =
        m_searcher ? QtFuture::makeReadyFuture(m_searcher) : m_folding;
    *m_lastSearch = asked;
    QtConcurrent::run(&m_searchThreads, [search, overview = m_overview, query, filter, asked,
                                         last = m_lastSearch]() mutable {
        // One asked for after it, while it waited for its thread, makes it pointless.
        // Grouped here too: ordering the books of a quarter million results takes the window tens of milliseconds.
        return asked == *last ? GroupSearchResults(*overview, search.result()->Find(query, filter))
                              : std::vector<SearchResultGroup>{};
    }).then(this, [this, asked, query](std::vector<SearchResultGroup> groups) {
        if (asked == m_searchesAsked)
            ShowResults(std::move(groups), query);
    });
}

void HighlightSearchPane::ShowResults(std::vector<SearchResultGroup> groups, const std::string& query) {
    m_searchesShown = m_searchesAsked;
    const std::shared_ptr<const HighlightSearch> search = Searcher();
    m_resultsModel->Show(m_overview, search ? search->Headings() : nullptr, std::move(groups),
                         FoldedSearchTerms(query));
    // The first books open, as many as a glance takes in; every other one opens with a click on its row.
    std::size_t open = 0;
    for (int row = 0; row < m_resultsModel->rowCount(); ++row) {
        const QModelIndex book = m_resultsModel->index(row, 0);
        open += std::size_t(m_resultsModel->rowCount(book));
        if (row > 0 && open > kOpenResults)
            break;
        m_results->expand(book);
    }
    m_searchSummary->setText(Counted(m_resultsModel->Found(), "highlight", "highlights") + " found in " +
                             Counted(m_resultsModel->Books(), "book", "books"));
}

void HighlightSearchPane::OpenResult(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const bool book = SearchResultsModel::IsBook(index);
    if (!m_show(index.data(SearchResultsModel::kVolumeIdRole).toString(),
                book ? QString() : index.data(SearchResultsModel::kBookmarkIdRole).toString()))
        return;
    if (book)
        m_results->expand(index); // its results open with it
}
