#pragma once

#include "AnnotatedVolume.h"

#include <QTreeWidget>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QMimeData;
class WrappedRowDelegate;

// One book's bookmarks in reading order under their chapter headings: a colour swatch, the text, the note, the date,
// the place in the book and the type; a drawing shows its image small, a deleted highlight is greyed. Ctrl+C copies
// the selected bookmarks as Markdown and as plain text. A large book's rows are added a part at a time, each between
// two turns of the window's event loop, so that input is never kept waiting by the rows of a long book.
class BookHighlightsView : public QTreeWidget {
    Q_OBJECT

public:
    enum Column { Text, Date, Position, Type, Count };
    static constexpr int kBookmarkIdRole = Qt::UserRole;

    explicit BookHighlightsView(QWidget* parent = nullptr);

    void ShowVolume(std::optional<AnnotatedVolume> volume);
    // While a large book is read beside the window: the pane says so in place of its rows.
    void ShowReading(std::size_t bookmarks);
    // Whether every row of the book shown is in the view.
    bool Complete() const { return !m_volume || m_shown == m_volume->bookmarks.size(); }
    const std::optional<AnnotatedVolume>& Volume() const { return m_volume; }
    // The ids of the selected bookmarks, in reading order.
    std::vector<std::string> SelectedIds() const;
    // The selected bookmarks for the clipboard: text/markdown and text/plain.
    std::unique_ptr<QMimeData> SelectedAsMime() const;
    // Makes the bookmark current and scrolls to it, once its row is there; false when the book holds none of that id.
    bool ScrollToBookmark(const QString& bookmarkId);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The whole pane: the view would find a far row's place (the last one, after End) by adding up the height of every
    // row above it, which in a long book kept the window waiting.
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;

private:
    // A line in place of the rows, saying why there are none.
    void ShowNote(const QString& text);
    // Adds up to count more rows; schedules the next part while rows remain.
    void AddRows(std::size_t count);
    QTreeWidgetItem* MadeRow(const AnnotatedBookmark& bookmark) const;
    // The kind of reader's files the bookmark came from, where the book's bookmarks came from several kinds.
    QString SourceMark(const AnnotatedBookmark& bookmark) const;
    // What a bookmark the reader no longer has (read from the archive) shows.
    static QString GoneMark(const AnnotatedBookmark& bookmark);

    std::optional<AnnotatedVolume> m_volume;
    WrappedRowDelegate* m_delegate = nullptr;
    std::size_t m_shown = 0; // the book's bookmarks that have their row
    // Each chapter's heading with its first bookmark, all made at once; a chapter opens once its rows are all there,
    // as the view lays out again all its open rows whenever rows are added to an open one.
    std::vector<std::pair<std::size_t, QTreeWidgetItem*>> m_chapters;
    std::size_t m_chapter = 0;   // the one being filled
    std::uint64_t m_showing = 0; // which ShowVolume the parts still to come belong to
    QString m_pendingScroll;     // a bookmark to scroll to once its row is added
};
