#pragma once

#include "AnnotatedVolume.h"

#include <QTreeWidget>

#include <optional>

class QMimeData;

// One book's bookmarks in reading order under their chapter headings: a colour swatch, the text, the note, the date,
// the place in the book and the type; a drawing shows its image small, a deleted highlight is greyed. Ctrl+C copies
// the selected bookmarks as Markdown and as plain text.
class BookHighlightsView : public QTreeWidget {
    Q_OBJECT

public:
    enum Column { Text, Date, Position, Type, Count };
    static constexpr int kBookmarkIdRole = Qt::UserRole;

    explicit BookHighlightsView(QWidget* parent = nullptr);

    void ShowVolume(std::optional<AnnotatedVolume> volume);
    const std::optional<AnnotatedVolume>& Volume() const { return m_volume; }
    // The ids of the selected bookmarks, in reading order.
    std::vector<std::string> SelectedIds() const;
    // The selected bookmarks for the clipboard: text/markdown and text/plain.
    std::unique_ptr<QMimeData> SelectedAsMime() const;
    // Makes the bookmark current and scrolls to it; false when the book shows none of that id.
    bool ScrollToBookmark(const QString& bookmarkId);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<AnnotatedVolume> m_volume;
};
