#include "WrappedRowDelegate.h"

#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace {

constexpr int kRowSpacing = 6;

// The lines a text takes wrapped to width, reckoned generously: a character of the wide scripts counts twice, and a
// line loses a few characters to its last word's wrap.
int EstimatedLines(const QString& text, int width, const QFontMetrics& metrics) {
    const int perLine = std::max(1, width * 10 / (metrics.averageCharWidth() * 11) - 4);
    int lines = 0;
    int units = 0; // of the paragraph so far
    for (const QChar c : text) {
        if (c == u'\n') {
            lines += std::max(1, (units + perLine - 1) / perLine);
            units = 0;
        } else {
            units += c.unicode() >= 0x1100 ? 2 : 1;
        }
    }
    return lines + std::max(1, (units + perLine - 1) / perLine);
}

} // namespace

QSize WrappedRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto* view = qobject_cast<const QTreeView*>(option.widget);
    if (view == nullptr)
        return QStyledItemDelegate::sizeHint(option, index);
    // The first column gives up an indentation for each level (and one more for the root's decoration), as the view
    // paints it.
    int width = view->header()->sectionSize(index.column());
    if (index.column() == 0) {
        int levels = view->rootIsDecorated() ? 1 : 0;
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            ++levels;
        width -= levels * view->indentation();
    }
    if (m_estimating) {
        // The icon and the item's margins take their share of the width.
        const int textWidth = width - view->iconSize().width() - 3 * option.fontMetrics.averageCharWidth();
        const int lines = EstimatedLines(index.data(Qt::DisplayRole).toString(), textWidth, option.fontMetrics);
        return QSize(width,
                     std::max(lines * option.fontMetrics.lineSpacing(), view->iconSize().height()) + 4 + kRowSpacing);
    }
    QStyleOptionViewItem sized = option;
    sized.rect = QRect(0, 0, std::max(width, 1), std::max(option.rect.height(), 1));
    // A little air between one highlight and the next.
    return QStyledItemDelegate::sizeHint(sized, index) + QSize(0, kRowSpacing);
}
