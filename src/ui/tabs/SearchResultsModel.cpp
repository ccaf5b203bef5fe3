#include "SearchResultsModel.h"

#include "AnnotatedVolume.h"
#include "HighlightSwatch.h"
#include "SearchFolding.h"
#include "WindowProgress.h"

#include <QCollator>

#include <algorithm>

namespace {

// How much of a long highlight a result shows around its first match.
constexpr qsizetype kBefore = 60;
constexpr qsizetype kAfter = 240;

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Line breaks and TABs of a highlight shown as spaces: the excerpt wraps by itself.
QString Spaced(std::string_view text) {
    QString line = Utf8(text);
    for (QChar& c : line)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return line;
}

QString Title(const OverviewBook& book) {
    return Utf8(book.title.empty() ? BookFileName(book.volumeId) : book.title);
}

// What a result shows: the text, or its note where the terms are in the note alone.
std::string_view ShownPart(const OverviewHighlight& highlight, const std::vector<std::string>& terms) {
    // Filters alone (no terms) show the highlight itself.
    if (terms.empty() || highlight.note.empty() || !FindFoldedTerms(highlight.text, terms).empty())
        return highlight.text;
    return highlight.note;
}

// The shown part with every term marked, cut around the first; cut tells whether any of it was left out.
QString MarkedExcerpt(const OverviewHighlight& highlight, const std::vector<std::string>& terms, bool& cut) {
    const std::string_view text = ShownPart(highlight, terms);
    const auto ranges = FindFoldedTerms(text, terms);
    cut = false;
    if (ranges.empty()) {
        const QString whole = Spaced(text);
        cut = whole.size() > kAfter;
        return (cut ? whole.left(kAfter) + "\u2026" : whole).toHtmlEscaped();
    }
    QString html;
    qsizetype shown = 0; // characters after the first match
    std::size_t at = 0;
    for (std::size_t k = 0; k <= ranges.size() && shown < kAfter; ++k) {
        const std::size_t end = k < ranges.size() ? ranges[k].first : text.size();
        QString plain = Spaced(text.substr(at, end - at));
        if (k == 0 && plain.size() > kBefore) {
            plain = "\u2026" + plain.right(kBefore);
            cut = true;
        }
        if (k > 0 && shown + plain.size() > kAfter) {
            plain = plain.left(kAfter - shown) + "\u2026";
            cut = true;
        }
        if (k > 0)
            shown += plain.size();
        html += plain.toHtmlEscaped();
        if (k == ranges.size())
            return html;
        const QString marked = Spaced(text.substr(ranges[k].first, ranges[k].second - ranges[k].first));
        html += "<b><u>" + marked.toHtmlEscaped() + "</u></b>";
        shown += k > 0 ? marked.size() : 0;
        at = ranges[k].second;
    }
    // Ended at the excerpt's length before the text's end.
    cut = cut || at < text.size();
    return html;
}

} // namespace

std::vector<SearchResultGroup> GroupSearchResults(const LibraryOverview& overview,
                                                  const std::vector<std::size_t>& found) {
    std::vector<SearchResultGroup> groups;
    constexpr std::size_t kNone = ~std::size_t{0};
    std::vector<std::size_t> groupOf(overview.books.size(), kNone); // by book
    for (const std::size_t i : found) {
        const std::uint32_t book = overview.highlights[i].book;
        if (groupOf[book] == kNone) {
            groupOf[book] = groups.size();
            groups.push_back({book, {}});
        }
        groups[groupOf[book]].highlights.push_back(i);
    }
    // The C locale has no collation to number by: the root order then, as the lists take it. Each title's key is made
    // once: comparing titles themselves would collate each of them again at every comparison.
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(groups.size());
    for (const SearchResultGroup& group : groups)
        keys.push_back(collator.sortKey(Title(overview.books[group.book])));
    std::vector<std::size_t> order(groups.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<SearchResultGroup> sorted;
    sorted.reserve(groups.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(groups[i]));
    return sorted;
}

void SearchResultsModel::Show(std::shared_ptr<const LibraryOverview> overview,
                              std::shared_ptr<const ChapterHeadings> headings, std::vector<SearchResultGroup> groups,
                              std::vector<std::string> terms) {
    beginResetModel();
    m_overview = std::move(overview);
    m_headings = std::move(headings);
    m_terms = std::move(terms);
    m_groups = std::move(groups);
    m_found = 0;
    for (const Group& group : m_groups)
        m_found += group.highlights.size();
    endResetModel();
}

void SearchResultsModel::Clear() {
    beginResetModel();
    m_groups.clear();
    m_terms.clear();
    m_found = 0;
    m_overview.reset();
    m_headings.reset();
    endResetModel();
}

QModelIndex SearchResultsModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    // A book's row carries 0, a result's row its book's place plus one.
    return createIndex(row, column, parent.isValid() ? quintptr(parent.row()) + 1 : quintptr(0));
}

QModelIndex SearchResultsModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return int(m_groups.size());
    if (IsBook(parent))
        return int(m_groups[std::size_t(parent.row())].highlights.size());
    return 0;
}

int SearchResultsModel::columnCount(const QModelIndex&) const {
    return 1;
}

QString SearchResultsModel::BookHtml(const Group& group) const {
    return "<b>" + Title(m_overview->books[group.book]).toHtmlEscaped() + "</b> &nbsp; " +
           Counted(group.highlights.size(), "highlight", "highlights");
}

QString SearchResultsModel::ResultHtml(const OverviewHighlight& highlight) const {
    QStringList facts;
    const std::string_view chapter = m_overview->ChapterOf(highlight, m_headings.get());
    if (!chapter.empty())
        facts << Utf8(chapter).toHtmlEscaped();
    if (highlight.date.size() >= 10)
        facts << Utf8(highlight.date.substr(0, 10));
    if (!highlight.note.empty())
        facts << "\u270E note";
    if (m_overview->severalSources && !highlight.source.empty())
        facts << Utf8(highlight.source).toHtmlEscaped();
    if (highlight.gone)
        facts << "<b>gone from the reader</b>" + (highlight.lastSeen.size() >= 10
                                                      ? ", last seen " + Utf8(highlight.lastSeen.substr(0, 10))
                                                      : QString());
    // The excerpt takes the direction of its own text; its facts read left to right beneath it.
    bool cut = false;
    return "<p>" + MarkedExcerpt(highlight, m_terms, cut) + "</p><p dir=\"ltr\"><small>" + facts.join(" \u00B7 ") +
           "</small></p>";
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_overview)
        return {};
    if (IsBook(index)) {
        const Group& group = m_groups[std::size_t(index.row())];
        if (role == Qt::DisplayRole)
            return BookHtml(group);
        if (role == kVolumeIdRole)
            return Utf8(m_overview->books[group.book].volumeId);
        return {};
    }
    const Group& group = m_groups[std::size_t(index.internalId() - 1)];
    const OverviewHighlight& highlight = m_overview->highlights[group.highlights[std::size_t(index.row())]];
    switch (role) {
    case Qt::DisplayRole:
        return ResultHtml(highlight);
    case Qt::DecorationRole:
        return HighlightSwatch(highlight.color);
    case Qt::ToolTipRole: {
        // The whole text, only where the result shows part of it.
        bool cut = false;
        MarkedExcerpt(highlight, m_terms, cut);
        return cut ? QVariant(Utf8(ShownPart(highlight, m_terms))) : QVariant();
    }
    case kVolumeIdRole:
        return Utf8(m_overview->books[group.book].volumeId);
    case kBookmarkIdRole:
        return Utf8(highlight.bookmarkId);
    default:
        return {};
    }
}
