#pragma once

#include "HighlightSearchPane.h"
#include "LibraryBooksFilter.h"
#include "LibraryOverview.h"
#include "ReadingOptions.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class BookCovers;
class BookHighlightsView;
class BookReader;
class LibraryBooksModel;
class NotePreview;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTreeView;
class LoadedLibrary;
class SearchResultsModel;

// The "library" tab: the books that carry bookmarks in a sortable, filtered table, the chosen book's highlights and
// its note's preview beside it, and one search over the highlights and notes of every book. With nothing loaded it says
// how to begin.
class LibraryTab : public QWidget {
    Q_OBJECT

public:
    // The widest the author column starts: the title has what the others leave.
    static constexpr int kAuthorWidth = 120;

    // reading: the options the highlights are read with.
    explicit LibraryTab(std::function<ReadingOptions()> reading, QWidget* parent = nullptr);
    ~LibraryTab() override;

    // The loaded library, which the chosen book and its note are read from.
    void SetLibrary(std::shared_ptr<const LoadedLibrary> library);
    // What one load of the database found; null shows the start page.
    void ShowOverview(std::shared_ptr<const LibraryOverview> overview);
    // What the table shows; null with nothing loaded.
    const LibraryOverview* Overview() const { return m_overview.get(); }
    // While a load reads the next library, the search lets go of its copy of every text (the table keeps its rows), so
    // that the memory of two libraries' searches is never taken at once; ResumeSearch makes it again after a
    // cancelled load.
    // It also drops a book being read beside the window and waits for its thread, which reads the window's library.
    void PauseSearch();
    void ResumeSearch();
    // Which of the start page's ways to begin are there.
    void OfferStarts(bool reader, bool lastDatabase);
    // Whether a search beside the window has yet to show its results.
    bool Searching() const { return m_searchPane->Searching(); }
    // Puts the cursor in the search box, its text selected.
    void FocusSearch() { m_searchPane->Focus(); }
    // Selects the book's row (clearing the filter when it hides it) and shows its highlights.
    bool SelectBook(const QString& volumeId);
    QString CurrentVolume() const;
    // The template set the chosen book's note preview is rendered with.
    void SetNoteTemplate(const QString& name);

    QTableView* Table() const { return m_table; }
    QSortFilterProxyModel* Proxy() const { return m_proxy; }
    QLineEdit* FilterEdit() const { return m_filter; }
    // The shelf the table's books must be on: "all shelves" first.
    QComboBox* ShelfChoice() const { return m_shelf; }
    BookHighlightsView* Highlights() const { return m_highlights; }
    // The search over every book's highlights.
    HighlightSearchPane* SearchPane() const { return m_searchPane; }
    QLineEdit* SearchEdit() const { return m_searchPane->SearchEdit(); }
    // The search's results, grouped by book.
    QTreeView* Results() const { return m_searchPane->Results(); }
    SearchResultsModel* ResultsModel() const { return m_searchPane->ResultsModel(); }
    QComboBox* ColorFilter() const { return m_searchPane->ColorFilter(); }
    QComboBox* TypeFilter() const { return m_searchPane->TypeFilter(); }
    QCheckBox* DatesBox() const { return m_searchPane->DatesBox(); }
    QDateEdit* FromDate() const { return m_searchPane->FromDate(); }
    QDateEdit* ToDate() const { return m_searchPane->ToDate(); }
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
    QLayout* BuildFilterRow();
    void FitColumns();
    void ShowCurrentBook();
    void ExportCurrentBook();
    void ShowBookMenu(const QPoint& at);
    void ShowHighlightsMenu(const QPoint& at);
    void AddNoteAndFolderEntries(QMenu& menu);
    // A search result's book shown, and scrolled to its bookmark when one is named.
    bool ShowResult(const QString& volumeId, const QString& bookmarkId);

    std::function<ReadingOptions()> m_reading;
    std::shared_ptr<const LibraryOverview> m_overview;

    QStackedWidget* m_pages = nullptr;
    QLabel* m_startText = nullptr;
    QPushButton* m_readerButton = nullptr;
    QPushButton* m_openFileButton = nullptr;
    QPushButton* m_lastButton = nullptr;
    LibraryBooksModel* m_model = nullptr;
    BookCovers* m_covers = nullptr;
    LibraryBooksFilter* m_proxy = nullptr;
    QLineEdit* m_filter = nullptr;
    QComboBox* m_shelf = nullptr;
    QTableView* m_table = nullptr;
    BookHighlightsView* m_highlights = nullptr;
    QPushButton* m_exportSelected = nullptr;
    BookReader* m_bookReader = nullptr;
    QTabWidget* m_bookPane = nullptr;
    NotePreview* m_notePreview = nullptr;
    HighlightSearchPane* m_searchPane = nullptr;
};
