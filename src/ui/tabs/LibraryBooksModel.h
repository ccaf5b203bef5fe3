#pragma once

#include "LibraryOverview.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>

class BookCovers;

// The library tab's table: one row per listed book. Qt::DisplayRole gives the text shown, kSortRole what the column
// sorts by (titles and authors by the lists' collation keys, counts, dates and progress as such), kVolumeIdRole the
// book's volume id.
class LibraryBooksModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Title, Author, Highlights, Notes, LastHighlight, Progress, Kind, Cover, Count };
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kVolumeIdRole = Qt::UserRole + 1;
    static constexpr int kShelvesRole = Qt::UserRole + 2; // the book's collections, a QStringList

    using QAbstractTableModel::QAbstractTableModel;

    // Shows the overview's books; null shows none.
    void SetOverview(std::shared_ptr<const LibraryOverview> overview);
    // Where the cover column's pictures come from (Qt::DecorationRole); none without.
    void SetCovers(BookCovers* covers);
    // The row of the volume, -1 when it is not listed.
    int RowOf(const QString& volumeId) const;
    // Every collection that holds a listed book, each once, in the order of their names.
    QStringList Shelves() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const LibraryOverview> m_overview;
    BookCovers* m_covers = nullptr;
    std::vector<QByteArray> m_titleKeys; // collation keys, made once per load
    std::vector<QByteArray> m_authorKeys;
};
