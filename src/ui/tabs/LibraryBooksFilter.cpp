#include "LibraryBooksFilter.h"

#include "LibraryBooksModel.h"

#include <QComboBox>

#include <algorithm>

void LibraryBooksFilter::SetShelf(const QString& shelf) {
    if (shelf == m_shelf)
        return;
    m_shelf = shelf;
    invalidateRowsFilter();
}

bool LibraryBooksFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (!m_shelf.isEmpty()) {
        const QModelIndex book = sourceModel()->index(sourceRow, 0, sourceParent);
        if (!book.data(LibraryBooksModel::kShelvesRole).toStringList().contains(m_shelf))
            return false;
    }
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

void FillShelfChoice(QComboBox& choice, const LibraryBooksModel& books) {
    const QString chosen = choice.currentData().toString();
    const QSignalBlocker quiet(choice); // the caller sets the filter once, after
    choice.clear();
    choice.addItem("all shelves", QString());
    for (const QString& shelf : books.Shelves())
        choice.addItem(shelf, shelf);
    const int kept = chosen.isEmpty() ? 0 : choice.findData(chosen);
    choice.setCurrentIndex(std::max(kept, 0));
    choice.setEnabled(choice.count() > 1);
}
