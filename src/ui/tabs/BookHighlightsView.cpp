#include "BookHighlightsView.h"

#include "HighlightSwatch.h"
#include "SourceOverview.h"
#include "WindowProgress.h"
#include "WrappedRowDelegate.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <unordered_set>

namespace {

// A book's first rows come at once; a long book's others a part at each turn of the event loop, and from this many on
// their heights are reckoned rather than measured.
constexpr std::size_t kFirstRows = 400;
constexpr std::size_t kRowsPerTurn = 400;
constexpr std::size_t kMeasuredRows = 2000;

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// What a bookmark without text shows: what it is.
QString ShownText(const AnnotatedBookmark& bookmark) {
    if (!bookmark.text.empty())
        return Utf8(bookmark.text);
    if (bookmark.type == "dogear")
        return QStringLiteral("(page bookmark)");
    if (bookmark.type == "markup")
        return QStringLiteral("(drawing)");
    return {};
}

// Text laid out left to right inside a paragraph of either direction.
QString LeftToRight(const QString& text) {
    return QChar(0x2066) + text + QChar(0x2069);
}

// A Markdown quote of every line of the text.
QString Quoted(QString text) {
    text.replace("\r\n", "\n");
    QStringList lines = text.split('\n');
    for (QString& line : lines)
        line = "> " + line;
    return lines.join('\n');
}

} // namespace

BookHighlightsView::BookHighlightsView(QWidget* parent) : QTreeWidget(parent) {
    setObjectName("bookHighlights");
    setColumnCount(Count);
    setHeaderLabels({"highlight", "date", "position", "type"});
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(true);
    setUniformRowHeights(false);
    setRootIsDecorated(false);
    setIconSize(QSize(24, 24)); // a drawing shows small; a swatch keeps its own size
    // The whole width for the highlights, each wrapped in full with its note; its date, position and type follow on
    // one short line. Their columns stay for what reads them, out of sight.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(Text, QHeaderView::Stretch);
    for (int column : {Date, Position, Type})
        hideColumn(column);
    setHeaderHidden(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Each row as tall as its text wrapped to the pane's width, laid out again whenever that width changes.
    m_delegate = new WrappedRowDelegate(this);
    setItemDelegate(m_delegate);
    connect(header(), &QHeaderView::sectionResized, this, [this](int column, int before, int after) {
        if (column == Text && before != after)
            scheduleDelayedItemsLayout();
    });
}

void BookHighlightsView::ShowVolume(std::optional<AnnotatedVolume> volume) {
    clear();
    m_volume = std::move(volume);
    m_shown = 0;
    m_chapters.clear();
    m_chapter = 0;
    ++m_showing;
    m_pendingScroll.clear();
    // Measuring every row's wrapped text would keep the window waiting on a long book whenever the view wants the
    // heights of many rows at once (End, a far click); there they are reckoned from the text's length instead.
    m_delegate->SetEstimating(m_volume && m_volume->bookmarks.size() > kMeasuredRows);
    if (!m_volume) {
        ShowNote("choose a book in the table to see its highlights here");
        return;
    }
    // Items are filled before they join the view: an item in the view tells it of each change.
    std::optional<std::uint32_t> part;
    QList<QTreeWidgetItem*> headings;
    for (std::size_t i = 0; i < m_volume->bookmarks.size(); ++i) {
        const AnnotatedBookmark& bookmark = m_volume->bookmarks[i];
        if (part == bookmark.part)
            continue;
        part = bookmark.part;
        auto* chapter = new QTreeWidgetItem;
        const QString heading = Utf8(m_volume->PartOf(bookmark).Heading());
        chapter->setText(Text, heading);
        chapter->setTextAlignment(Text, (heading.isRightToLeft() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        QFont bold = font();
        bold.setBold(true);
        chapter->setFont(Text, bold);
        chapter->setFlags(Qt::ItemIsEnabled);
        m_chapters.emplace_back(i, chapter);
        headings << chapter;
    }
    addTopLevelItems(headings);
    for (QTreeWidgetItem* chapter : headings)
        chapter->setFirstColumnSpanned(true);
    AddRows(kFirstRows);
}

void BookHighlightsView::ShowReading(std::size_t bookmarks) {
    ShowVolume(std::nullopt);
    clear();
    ShowNote("reading the book's " + Grouped(bookmarks) + " bookmarks\u2026");
}

void BookHighlightsView::ShowNote(const QString& text) {
    auto* note = new QTreeWidgetItem(this);
    note->setText(Text, text);
    note->setFlags(Qt::NoItemFlags);
}

void BookHighlightsView::AddRows(std::size_t count) {
    const std::size_t end = std::min(m_shown + count, m_volume->bookmarks.size());
    QList<QTreeWidgetItem*> rows; // of the chapter being filled, joining it together
    const auto addToChapter = [&] {
        m_chapters[m_chapter].second->addChildren(rows);
        rows.clear();
    };
    for (; m_shown < end; ++m_shown) {
        if (m_chapter + 1 < m_chapters.size() && m_chapters[m_chapter + 1].first == m_shown) {
            addToChapter();
            m_chapters[m_chapter++].second->setExpanded(true);
        }
        rows << MadeRow(m_volume->bookmarks[m_shown]);
    }
    addToChapter();
    if (Complete() && !m_chapters.empty())
        m_chapters.back().second->setExpanded(true);
    if (!m_pendingScroll.isEmpty() && ScrollToBookmark(m_pendingScroll))
        m_pendingScroll.clear();
    if (!Complete())
        QTimer::singleShot(0, this, [this, showing = m_showing] {
            if (showing == m_showing)
                AddRows(kRowsPerTurn);
        });
}

QTreeWidgetItem* BookHighlightsView::MadeRow(const AnnotatedBookmark& bookmark) const {
    auto* item = new QTreeWidgetItem;
    QString text = ShownText(bookmark);
    if (!bookmark.annotation.empty())
        text += "\n\u270E " + Utf8(bookmark.annotation);
    item->setData(Text, kBookmarkIdRole, Utf8(bookmark.bookmarkId));
    item->setText(Date, Utf8(bookmark.dateCreated.substr(0, 16)).replace('T', ' '));
    const std::string position = m_volume->PositionText(bookmark);
    item->setText(Position, position.empty() ? QString() : Utf8(position) + "%");
    item->setText(Type, Utf8(bookmark.type));
    QStringList facts;
    for (int column : {Date, Position, Type})
        if (!item->text(column).isEmpty())
            facts << item->text(column);
    if (const QString source = SourceMark(bookmark); !source.isEmpty())
        facts << source;
    if (bookmark.gone)
        facts << GoneMark(bookmark);
    // The facts are a left-to-right line of their own (isolated), whatever the direction of the text above them;
    // the text keeps to the side it begins on.
    item->setText(Text, text + "\n" + LeftToRight(facts.join(QStringLiteral(" \u00B7 "))));
    item->setTextAlignment(Text, (text.isRightToLeft() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (!bookmark.markupImage.empty())
        item->setIcon(Text, QIcon(Utf8(bookmark.markupImage)));
    else if (!bookmark.text.empty())
        item->setIcon(Text, HighlightSwatch(bookmark.color));
    if (bookmark.gone) {
        item->setForeground(Text, palette().brush(QPalette::Disabled, QPalette::Text));
        item->setToolTip(Text, GoneMark(bookmark));
    } else if (bookmark.deleted) {
        for (int column = 0; column < Count; ++column)
            item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        item->setToolTip(Text, "deleted on the reader");
    }
    return item;
}

QString BookHighlightsView::SourceMark(const AnnotatedBookmark& bookmark) const {
    const std::vector<SourceFacts>& sources = m_volume->sources;
    const bool several = std::any_of(sources.begin(), sources.end(),
                                     [&](const SourceFacts& source) { return source.kind != sources.front().kind; });
    if (!several || bookmark.source >= sources.size())
        return {};
    const std::string_view name = SourceKindName(sources[bookmark.source].kind);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString BookHighlightsView::GoneMark(const AnnotatedBookmark& bookmark) {
    QString mark = "\u2716 gone from the reader";
    if (bookmark.lastSeen.size() >= 10)
        mark += ", last seen " + Utf8(bookmark.lastSeen.substr(0, 10));
    return mark;
}

std::vector<std::string> BookHighlightsView::SelectedIds() const {
    std::vector<std::string> ids;
    if (!m_volume)
        return ids;
    std::unordered_set<QString> chosen;
    for (const QTreeWidgetItem* item : selectedItems())
        chosen.insert(item->data(Text, kBookmarkIdRole).toString());
    for (const AnnotatedBookmark& bookmark : m_volume->bookmarks)
        if (chosen.contains(Utf8(bookmark.bookmarkId)))
            ids.emplace_back(bookmark.bookmarkId);
    return ids;
}

std::unique_ptr<QMimeData> BookHighlightsView::SelectedAsMime() const {
    auto mime = std::make_unique<QMimeData>();
    if (!m_volume)
        return mime;
    const std::vector<std::string> ids = SelectedIds();
    const std::unordered_set<std::string_view> chosen(ids.begin(), ids.end());
    QStringList markdown, plain;
    std::optional<std::uint32_t> part;
    for (const AnnotatedBookmark& bookmark : m_volume->bookmarks) {
        if (!chosen.contains(bookmark.bookmarkId))
            continue;
        if (part != bookmark.part) {
            part = bookmark.part;
            markdown << "## " + Utf8(m_volume->PartOf(bookmark).Heading()) + "\n";
        }
        QString entry = Quoted(ShownText(bookmark)) + "\n";
        QString line = ShownText(bookmark);
        if (!bookmark.annotation.empty()) {
            entry += "\n" + Utf8(bookmark.annotation) + "\n";
            line += "\n" + Utf8(bookmark.annotation);
        }
        markdown << entry;
        plain << line;
    }
    mime->setData("text/markdown", markdown.join('\n').toUtf8());
    mime->setText(plain.join("\n\n"));
    return mime;
}

bool BookHighlightsView::ScrollToBookmark(const QString& bookmarkId) {
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->parent() != nullptr && (*it)->parent()->isExpanded() &&
            (*it)->data(Text, kBookmarkIdRole).toString() == bookmarkId) {
            setCurrentItem(*it);
            scrollToItem(*it, QAbstractItemView::PositionAtCenter);
            return true;
        }
    if (Complete() || !m_volume)
        return false;
    const std::string id = bookmarkId.toStdString();
    const std::size_t opened = m_chapter < m_chapters.size() ? m_chapters[m_chapter].first : m_shown;
    const bool held = std::any_of(m_volume->bookmarks.begin() + std::ptrdiff_t(opened), m_volume->bookmarks.end(),
                                  [&](const AnnotatedBookmark& bookmark) { return bookmark.bookmarkId == id; });
    if (held)
        m_pendingScroll = bookmarkId;
    return held;
}

QRegion BookHighlightsView::visualRegionForSelection(const QItemSelection&) const {
    return viewport()->rect();
}

void BookHighlightsView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setMimeData(SelectedAsMime().release());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
