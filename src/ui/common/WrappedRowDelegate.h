#pragma once

#include <QStyledItemDelegate>

// Gives a tree view's item the height of its text wrapped to the width its row leaves it: the view asks for a row's
// height without any width, and would give a long text only the height of its unwrapped lines, the rest cut off or
// painted over by the rows below. The view lays its rows out again when the width changes.
class WrappedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Heights reckoned from the text's length and the font's average width, a little generously, instead of laying
    // the text out: for views of very many rows.
    void SetEstimating(bool estimating) { m_estimating = estimating; }

private:
    bool m_estimating = false;
};
