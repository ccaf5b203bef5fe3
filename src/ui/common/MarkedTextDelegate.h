#pragma once

#include <QStyledItemDelegate>

class QTextDocument;

// Paints an item's text as rich text, so that a search result shows its matches marked (<b>...</b>), wrapped to the
// width its row leaves it beside its icon; each paragraph keeps to the side its own text's direction begins on.
class MarkedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Where the text goes within the item's rectangle, beside its icon.
    QRect TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
