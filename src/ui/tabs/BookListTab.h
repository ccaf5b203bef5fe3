#pragma once

#include "LibraryIndex.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class LoadedLibrary;

// What one list tab shows of the loaded index and how its rows lead to volumes.
struct BookListKind {
    // The index's list that the rows stand for, one row an entry, in the list's order.
    const TSortedStringList LibraryIndex::*rows;
    // Whether the entries are pairs: a row then shows the pair's value and stands for the volume its name gives;
    // otherwise a row shows the entry, which is the volume id.
    bool pairs;
    // Where the upper label looks the row's volume up; where the lower one does, or null to show the id itself.
    const TSortedStringList LibraryIndex::*upperLookup;
    const TSortedStringList LibraryIndex::*lowerLookup;
};

// The object names of one list tab's widgets, and what differs in its look.
struct BookListNames {
    const char* tab;
    const char* findLabel;
    const char* searchEdit;
    const char* caseBox;
    const char* findNext;
    const char* list;
    const char* upperLabel;
    const char* lowerLabel;
    const char* findCaption; // "find:", or "find" on one tab
    bool listFirst;          // whether the list comes before the search edit in the tab order
};

// One tab of the loaded index: a search row (the edit, "case sensitive", "find next"), the list, and two labels with
// the selected row's facts. Typing searches from the top, "find next" (also Enter in the edit, and F3 through the
// window) from the row after the selected one. A double-click or Enter on a row asks for the export of its volume,
// with Shift held for its repair.
class BookListTab : public QWidget {
    Q_OBJECT

public:
    BookListTab(const BookListNames& names, const BookListKind& kind, QWidget* parent = nullptr);

    // The loaded library, whose index the rows show from the next ShowRows on.
    void SetLibrary(std::shared_ptr<const LoadedLibrary> library);

    // Shows the rows of the loaded index, in place of any shown before.
    void ShowRows();
    // Empties the list and the labels.
    void ClearRows();
    // Empties the labels and the search edit, as at start-up.
    void ClearLabelsAndSearch();
    // "find next".
    void FindNext();
    // The volume id of the selected row, byte for byte from the index; none when no row is selected.
    std::optional<std::string> SelectedVolumeId() const;
    // The menu a right click on the selected row opens; empty when no row is selected.
    std::unique_ptr<QMenu> RowMenu();

    QListWidget* List() const { return m_list; }
    QLineEdit* SearchEdit() const { return m_searchEdit; }
    QCheckBox* CaseBox() const { return m_caseBox; }
    QPushButton* FindNextButton() const { return m_findNext; }
    QLabel* UpperLabel() const { return m_upperLabel; }
    QLabel* LowerLabel() const { return m_lowerLabel; }

signals:
    void ExportRequested(const std::string& volumeId);
    void RepairRequested(const std::string& volumeId);
    // A search ended; found says whether it selected a row.
    void Searched(bool found);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The handlers of all three tabs, written once:
    // TntListBox1Click, TntListBox2Click, TntListBox3Click: the selected row's facts in the labels.
    void ShowFacts();
    // TntEdit1Change, TntEdit2Change, TntEdit4Change (from the top); TntButton1Click, TntButton2Click,
    // TntButton3Click (from the row after the selected one).
    void Search(int startRow);
    // TntListBox1DbnalClick, TntListBox2DblClick, TntListBox3DblClick.
    void ExportOrRepair();
    void ShowRowMenu(const QPoint& at);
    // Runs a handler under the error display.
    void Guarded(const std::function<void()>& handler);

    BookListKind m_kind;
    std::shared_ptr<const LoadedLibrary> m_library;
    QLineEdit* m_searchEdit;
    QCheckBox* m_caseBox;
    QPushButton* m_findNext;
    QListWidget* m_list;
    QLabel* m_upperLabel;
    QLabel* m_lowerLabel;
};
