#pragma once

#include "HighlightSearch.h"
#include "LibraryOverview.h"
#include "ReadingOptions.h"

#include <QFuture>
#include <QThreadPool>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class BookHighlightsView;
class BookReader;
class LibraryBooksModel;
class NotePreview;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTreeView;
class ReaderLibrary;
class SearchResultsModel;
struct SearchResultGroup;

// The "library" tab: the books that carry bookmarks in a sortable, filtered table, the chosen book's highlights and
// its note's preview beside it, and one search over the highlights and notes of every book. With nothing loaded it says
// how to begin.
class LibraryTab : public QWidget {
    Q_OBJECT

public:
    // reading: the options the highlights are read with.
    explicit LibraryTab(std::function<ReadingOptions()> reading, QWidget* parent = nullptr);
    ~LibraryTab() override;

    // The loaded library, which the chosen book and its note are read from.
    void SetLibrary(std::shared_ptr<const ReaderLibrary> library);
    // What one load of the database found; null shows the start page.
    void ShowOverview(std::shared_ptr<const LibraryOverview> overview);
    // While a load reads the next library, the search lets go of its copy of every text (the table keeps its rows), so
    // that the memory of two libraries' searches is never taken at once; ResumeSearch makes it again after a
    // cancelled load.
    // It also drops a book being read beside the window and waits for its thread, which reads the window's library.
    void PauseSearch();
    void ResumeSearch();
    // Which of the start page's ways to begin are there.
    void OfferStarts(bool reader, bool lastDatabase);
    // Whether a search beside the window has yet to show its results.
    bool Searching() const { return m_searchesShown != m_searchesAsked; }
    // Puts the cursor in the search box, its text selected.
    void FocusSearch();
    // Selects the book's row (clearing the filter when it hides it) and shows its highlights.
    bool SelectBook(const QString& volumeId);
    QString CurrentVolume() const;
    // The template set the chosen book's note preview is rendered with.
    void SetNoteTemplate(const QString& name);

    QTableView* Table() const { return m_table; }
    QSortFilterProxyModel* Proxy() const { return m_proxy; }
    QLineEdit* FilterEdit() const { return m_filter; }
    BookHighlightsView* Highlights() const { return m_highlights; }
    QLineEdit* SearchEdit() const { return m_search; }
    // The search's results, grouped by book.
    QTreeView* Results() const { return m_results; }
    SearchResultsModel* ResultsModel() const { return m_resultsModel; }
    QComboBox* ColorFilter() const { return m_color; }
    QComboBox* TypeFilter() const { return m_type; }
    QCheckBox* DatesBox() const { return m_datesBox; }
    QDateEdit* FromDate() const { return m_from; }
    QDateEdit* ToDate() const { return m_to; }
    QPushButton* ExportSelectedButton() const { return m_exportSelected; }
    // The chosen book's pane: its highlights, and its note as "sync notes" would write it.
    QTabWidget* BookPane() const { return m_bookPane; }
    NotePreview* NotePreviewPane() const { return m_notePreview; }
    QStackedWidget* Pages() const { return m_pages; }
    QPushButton* ReaderButton() const { return m_readerButton; }
    QPushButton* OpenFileButton() const { return m_openFileButton; }
    QPushButton* LastButton() const { return m_lastButton; }

    // The right-click menus on the table's current book and on the selected highlights; null with none.
    std::unique_ptr<QMenu> BookMenu();
    std::unique_ptr<QMenu> HighlightsMenu();

    // Books whose results are shown open at first, until their results pass this many; the others open when asked.
    static constexpr std::size_t kOpenResults = 1000;
    // Libraries of up to this many highlights are searched at once, a keystroke taking a few milliseconds; larger ones
    // beside the window (57,555 took 20 to 40 ms a keystroke, and the first one waited for the folding).
    static constexpr std::size_t kSearchAtOnce = 5000;

signals:
    void ExportRequested(const std::string& volumeId);
    void RepairRequested(const std::string& volumeId);
    void ExportSelectedRequested(const std::string& volumeId, const std::vector<std::string>& bookmarkIds);
    void ReaderRequested();
    void OpenFileRequested();
    void LastDatabaseRequested();
    void ResultsFolderRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildStartPage();
    QWidget* BuildLibraryPage();
    void FitColumns();
    void ShowCurrentBook();
    void ExportCurrentBook();
    void ShowBookMenu(const QPoint& at);
    void ShowHighlightsMenu(const QPoint& at);
    void AddNoteAndFolderEntries(QMenu& menu);
    void Search();
    // The highlights found for the query, in the results.
    void ShowResults(std::vector<SearchResultGroup> groups, const std::string& query);
    // The search over every text, once it is made; null with nothing loaded.
    const HighlightSearch* Searcher();
    HighlightFilter Filter() const;
    // A result shown in its book; a book's row shows the book.
    void OpenResult(const QModelIndex& index);

    std::function<ReadingOptions()> m_reading;
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

    QStackedWidget* m_pages = nullptr;
    QLabel* m_startText = nullptr;
    QPushButton* m_readerButton = nullptr;
    QPushButton* m_openFileButton = nullptr;
    QPushButton* m_lastButton = nullptr;
    LibraryBooksModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QLineEdit* m_filter = nullptr;
    QTableView* m_table = nullptr;
    BookHighlightsView* m_highlights = nullptr;
    QPushButton* m_exportSelected = nullptr;
    BookReader* m_bookReader = nullptr;
    QTabWidget* m_bookPane = nullptr;
    NotePreview* m_notePreview = nullptr;
    QLineEdit* m_search = nullptr;
    QComboBox* m_color = nullptr;
    QComboBox* m_type = nullptr;
    QCheckBox* m_datesBox = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLabel* m_searchSummary = nullptr;
    QTreeView* m_results = nullptr;
    SearchResultsModel* m_resultsModel = nullptr;
};
