#include "LibraryBooksModel.h"

#include "AnnotatedVolume.h"
#include "BookCovers.h"
#include "TextOrder.h"

#include <QLocale>
#include <QRegularExpression>

#include <set>

namespace {

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QByteArray Key(const std::string& text) {
    const std::string key = TextOrder::ForUserLocale().SortKey(text);
    return QByteArray(key.data(), qsizetype(key.size()));
}

// A title's key with each number in it as long as any other ("Book 2" before "Book 10"): digits padded with zeros.
QByteArray NaturalKey(const QString& title) {
    static const QRegularExpression number(QStringLiteral("[0-9]{1,12}"));
    QString padded;
    qsizetype at = 0;
    for (const QRegularExpressionMatch& match : number.globalMatch(title)) {
        padded += title.mid(at, match.capturedStart() - at) + match.captured().rightJustified(12, '0');
        at = match.capturedEnd();
    }
    return Key((padded + title.mid(at)).toStdString());
}

// A book without a title in the index shows its file name, as the "file names" list does.
QString ShownTitle(const OverviewBook& book) {
    return book.title.empty() ? Utf8(BookFileName(book.volumeId)) : Utf8(book.title);
}

} // namespace

void LibraryBooksModel::SetOverview(std::shared_ptr<const LibraryOverview> overview) {
    beginResetModel();
    m_overview = std::move(overview);
    m_titleKeys.clear();
    m_authorKeys.clear();
    if (m_overview)
        for (const OverviewBook& book : m_overview->books) {
            m_titleKeys.push_back(NaturalKey(ShownTitle(book)));
            m_authorKeys.push_back(Key(book.author));
        }
    endResetModel();
}

void LibraryBooksModel::SetCovers(BookCovers* covers) {
    m_covers = covers;
    connect(covers, &BookCovers::CoverRead, this, [this](const QString& volumeId) {
        if (const int row = RowOf(volumeId); row >= 0)
            emit dataChanged(index(row, Cover), index(row, Cover), {Qt::DecorationRole});
    });
}

int LibraryBooksModel::RowOf(const QString& volumeId) const {
    if (!m_overview)
        return -1;
    const std::string id = volumeId.toStdString();
    for (std::size_t row = 0; row < m_overview->books.size(); ++row)
        if (m_overview->books[row].volumeId == id)
            return static_cast<int>(row);
    return -1;
}

QStringList LibraryBooksModel::Shelves() const {
    std::set<std::string> names;
    if (m_overview)
        for (const OverviewBook& book : m_overview->books)
            names.insert(book.collections.begin(), book.collections.end());
    QStringList shelves;
    for (const std::string& name : names)
        shelves << Utf8(name);
    return shelves;
}

int LibraryBooksModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_overview ? 0 : static_cast<int>(m_overview->books.size());
}

int LibraryBooksModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QVariant LibraryBooksModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_overview)
        return {};
    const std::size_t row = static_cast<std::size_t>(index.row());
    const OverviewBook& book = m_overview->books[row];
    if (role == kVolumeIdRole)
        return Utf8(book.volumeId);
    if (role == kShelvesRole) {
        QStringList shelves;
        for (const std::string& shelf : book.collections)
            shelves << Utf8(shelf);
        return shelves;
    }
    if (role == Qt::TextAlignmentRole && index.column() >= Highlights && index.column() <= Progress &&
        index.column() != LastHighlight)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    // A title or author cut short at the column's edge is read whole here; the title with its volume id.
    if (role == Qt::ToolTipRole && index.column() == Title)
        return ShownTitle(book) + "\n" + Utf8(book.volumeId);
    if (role == Qt::ToolTipRole && index.column() == Author && !book.author.empty())
        return Utf8(book.author);
    // Asked only for the rows shown: a picture is read the first time its row is.
    if (role == Qt::DecorationRole && index.column() == Cover && m_covers) {
        const QPixmap cover = m_covers->Cover(book.volumeId, book.imageId);
        return cover.isNull() ? QVariant() : QVariant(cover);
    }
    if (role != Qt::DisplayRole && role != kSortRole)
        return {};
    const bool sorting = role == kSortRole;
    switch (index.column()) {
    case Title:
        return sorting ? QVariant(m_titleKeys[row]) : QVariant(ShownTitle(book));
    case Author:
        return sorting ? QVariant(m_authorKeys[row]) : QVariant(Utf8(book.author));
    case Highlights:
        return qulonglong(book.highlights);
    case Notes:
        return qulonglong(book.notes);
    case LastHighlight:
        // Stored as 2024-11-18T17:45:50.886: the day is what a person compares.
        return sorting ? Utf8(book.lastHighlight) : Utf8(book.lastHighlight.substr(0, 10));
    case Progress:
        if (sorting)
            return book.percentRead.value_or(-1.0);
        return book.percentRead ? QString::number(*book.percentRead, 'f', 0) + "%" : QString();
    case Kind:
        if (!book.sources.empty())
            return QString::fromStdString(book.sources);
        return book.sideloaded ? QStringLiteral("sideloaded") : QStringLiteral("store");
    default:
        return {};
    }
}

QVariant LibraryBooksModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    // Counts, dates and progress are wanted largest first: the first click on their column sorts them so.
    if (role == Qt::InitialSortOrderRole)
        return section >= Highlights && section <= Progress ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (role != Qt::DisplayRole)
        return {};
    static const char* const kCaptions[] = {"title",          "author",   "highlights", "notes",
                                            "last highlight", "progress", "kind",       "cover"};
    return section >= 0 && section < Count ? QString(kCaptions[section]) : QVariant();
}
