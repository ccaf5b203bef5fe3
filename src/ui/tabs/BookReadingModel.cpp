#include "BookReadingModel.h"

#include "ReadingChartData.h"
#include "StatisticsFormats.h"
#include "Utf8Text.h"

namespace {

QString DayText(const std::optional<ReaderTime>& time) {
    return time ? LocalDay(*time).toString(Qt::ISODate) : QString();
}

} // namespace

void BookReadingModel::SetBooks(std::vector<BookReading> books) {
    beginResetModel();
    m_books = std::move(books);
    endResetModel();
}

int BookReadingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_books.size());
}

int BookReadingModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QVariant BookReadingModel::Display(const BookReading& book, int column) const {
    switch (column) {
    case Title:
        return DecodeUtf8(book.title);
    case Author:
        return DecodeUtf8(book.author);
    case TimeRead:
        return QString::fromStdString(DurationText(book.TimeRead()));
    case Sessions:
        return static_cast<qulonglong>(book.sessions);
    case Pages:
        return static_cast<qlonglong>(book.pagesTurned);
    case Progress:
        return book.percentRead ? QString::number(*book.percentRead) + " %" : QString();
    case Status:
        return QString::fromStdString(StatusName(book));
    case FirstRead:
        return DayText(book.FirstRead());
    case LastRead:
        return DayText(book.LastRead());
    case Highlights:
        return static_cast<qulonglong>(book.highlights);
    default:
        return {};
    }
}

QVariant BookReadingModel::SortKey(const BookReading& book, int column) const {
    switch (column) {
    case TimeRead:
        return static_cast<qlonglong>(book.TimeRead());
    case Progress:
        return book.percentRead.value_or(-1);
    case FirstRead:
        return static_cast<qlonglong>(book.FirstRead().value_or(0));
    case LastRead:
        return static_cast<qlonglong>(book.LastRead().value_or(0));
    case Title:
    case Author:
    case Status:
        return Display(book, column).toString().toCaseFolded();
    default:
        return Display(book, column);
    }
}

QVariant BookReadingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const BookReading& book = m_books[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return Display(book, index.column());
    case kSortRole:
        return SortKey(book, index.column());
    case Qt::ToolTipRole:
        return index.column() == Title ? DecodeUtf8(book.volumeId) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Title || index.column() == Author || index.column() == Status
                   ? QVariant()
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant BookReadingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kHeaders[Count] = {"title",    "author", "time read",  "sessions",  "pages",
                                                "progress", "status", "first read", "last read", "highlights"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Count)
        return {};
    return QString::fromLatin1(kHeaders[section]);
}
