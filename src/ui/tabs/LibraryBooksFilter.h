#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class LibraryBooksModel;
class QComboBox;

// The library table's rows as its filters leave them: the filter text found in any column, and, where a shelf is
// chosen, only the books on that shelf (the reader's collection).
class LibraryBooksFilter : public QSortFilterProxyModel {
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    // Empty: books on any shelf or none.
    void SetShelf(const QString& shelf);
    const QString& Shelf() const { return m_shelf; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_shelf;
};

// Fills the choice of shelves: "all shelves" first (no shelf as its data), then each shelf the books are on, in the
// order of their names. The shelf chosen before stays chosen where it is still there. Disabled where there are none.
// It says nothing of the change: the caller sets the filter's shelf after.
void FillShelfChoice(QComboBox& choice, const LibraryBooksModel& books);
