#pragma once

#include "ReadingStatistics.h"

#include <QAbstractTableModel>

#include <vector>

// The reading tab's table: one row per book of the statistics. Qt::DisplayRole gives the text shown, kSortRole the
// value the column sorts by (seconds, counts and instants as numbers, so that "10m" sorts after "9m").
class BookReadingModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Title, Author, TimeRead, Sessions, Pages, Progress, Status, FirstRead, LastRead, Highlights, Count };
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void SetBooks(std::vector<BookReading> books);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant Display(const BookReading& book, int column) const;
    QVariant SortKey(const BookReading& book, int column) const;

    std::vector<BookReading> m_books;
};
