#pragma once

#include "HighlightSearch.h"
#include "LibraryOverview.h"

#include <QFuture>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QModelIndex;
class QTreeView;
class QWidget;
class SearchResultsModel;
struct SearchResultGroup;

// One search over the highlights and notes of every book of an overview: its query and filters in a bar, its results
// grouped by book in a panel that shows while there is something to search for. The folding of every text and a
// search over very many highlights run beside the window.
class HighlightSearchPane : public QObject {
    Q_OBJECT

public:
    // show: shows a result's book (and, when bookmarkId is not empty, scrolls to it); false when the book is not there.
    HighlightSearchPane(std::function<bool(const QString& volumeId, const QString& bookmarkId)> show,
                        QObject* parent = nullptr);
    ~HighlightSearchPane() override;

    // The query and filters, and the results: for the tab's layout.
    QWidget* QueryBar() const { return m_queryBar; }
    QWidget* ResultsPanel() const { return m_resultsPanel; }

    // The overview searched from now on (null: nothing), searched again with the query as it stands.
    void SetOverview(std::shared_ptr<const LibraryOverview> overview);
    // While a load reads the next library, the search lets go of its copy of every text, so that the memory of two
    // libraries' searches is never taken at once; Resume makes it again.
    void Pause();
    void Resume();
    // Whether a search beside the window has yet to show its results.
    bool Searching() const { return m_searchesShown != m_searchesAsked; }
    // Puts the cursor in the query, its text selected.
    void Focus();

    QLineEdit* SearchEdit() const { return m_search; }
    QTreeView* Results() const { return m_results; }
    SearchResultsModel* ResultsModel() const { return m_resultsModel; }
    QComboBox* ColorFilter() const { return m_color; }
    QComboBox* TypeFilter() const { return m_type; }
    QCheckBox* DatesBox() const { return m_datesBox; }
    QDateEdit* FromDate() const { return m_from; }
    QDateEdit* ToDate() const { return m_to; }
    // "gone from the reader": shown while the archive is searched.
    QCheckBox* GoneBox() const { return m_goneBox; }

    // Books whose results are shown open at first, until their results pass this many; the others open when asked.
    static constexpr std::size_t kOpenResults = 1000;
    // Libraries of up to this many highlights are searched at once, a keystroke taking a few milliseconds; larger ones
    // beside the window (57,555 took 20 to 40 ms a keystroke, and the first one waited for the folding).
    static constexpr std::size_t kSearchAtOnce = 5000;

private:
    void BuildQueryBar();
    void BuildResultsPanel();
    void Search();
    // The highlights found for the query, in the results.
    void ShowResults(std::vector<SearchResultGroup> groups, const std::string& query);
    // The search over every text, once it is made; null with nothing loaded.
    std::shared_ptr<const HighlightSearch> Searcher();
    HighlightFilter Filter() const;
    // A result shown in its book; a book's row shows the book.
    void OpenResult(const QModelIndex& index);

    std::function<bool(const QString&, const QString&)> m_show;
    std::shared_ptr<const LibraryOverview> m_overview;
    std::shared_ptr<const HighlightSearch> m_searcher;
    // The folding and the searches run here, never in Qt's global pool: the window's own painting hands parts of its
    // work to that pool and waits for them, so a search that held it kept the window from painting for a second.
    QThreadPool m_searchThreads;
    QFuture<std::shared_ptr<const HighlightSearch>> m_folding; // the search being made, until it is asked for
    std::uint64_t m_searchesAsked = 0;                         // the last search asked for
    std::uint64_t m_searchesShown = 0;                         // the last one whose results are shown
    // The last search asked for, as the threads of those before it see it.
    std::shared_ptr<std::atomic<std::uint64_t>> m_lastSearch = std::make_shared<std::atomic<std::uint64_t>>(0);

    QWidget* m_queryBar = nullptr;
    QLineEdit* m_search = nullptr;
    QComboBox* m_color = nullptr;
    QComboBox* m_type = nullptr;
    QCheckBox* m_datesBox = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QCheckBox* m_goneBox = nullptr;
    QWidget* m_resultsPanel = nullptr;
    QLabel* m_searchSummary = nullptr;
    QTreeView* m_results = nullptr;
    SearchResultsModel* m_resultsModel = nullptr;
};
