// The library tab's search across every book: the query and filters read from the tab, the search run (beside the
// window for a large library), its results shown grouped by book.
#include "LibraryTab.h"

#include "BookHighlightsView.h"
#include "SearchFolding.h"
#include "SearchResultsModel.h"
#include "WindowProgress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>

HighlightFilter LibraryTab::Filter() const {
    HighlightFilter filter;
    if (const QString color = m_color->currentData().toString(); !color.isEmpty())
        filter.colors = {color.toStdString()};
    if (const QString type = m_type->currentData().toString(); !type.isEmpty())
        filter.types = {type.toStdString()};
    if (m_datesBox->isChecked()) {
        filter.from = m_from->date().toString(Qt::ISODate).toStdString();
        filter.to = m_to->date().toString(Qt::ISODate).toStdString();
    }
    return filter;
}

void LibraryTab::Search() {
    const HighlightFilter filter = Filter();
    const bool searching =
        !m_search->text().isEmpty() || !filter.colors.empty() || !filter.types.empty() || !filter.from.empty();
    // With nothing loaded, or while a load reads the next library, there is nothing to search.
    const bool searchable = m_overview && (m_searcher || m_folding.isValid());
    m_results->parentWidget()->setVisible(searching && searchable);
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

void LibraryTab::ShowResults(std::vector<SearchResultGroup> groups, const std::string& query) {
    m_searchesShown = m_searchesAsked;
    m_resultsModel->Show(m_overview, std::move(groups), FoldedSearchTerms(query));
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

void LibraryTab::OpenResult(const QModelIndex& index) {
    if (!index.isValid() || !SelectBook(index.data(SearchResultsModel::kVolumeIdRole).toString()))
        return;
    if (SearchResultsModel::IsBook(index))
        m_results->expand(index); // its results open with it
    else
        m_highlights->ScrollToBookmark(index.data(SearchResultsModel::kBookmarkIdRole).toString());
}
