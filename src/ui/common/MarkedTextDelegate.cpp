#include "MarkedTextDelegate.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QTextDocument>
#include <QTreeView>

#include <algorithm>

namespace {

constexpr int kRowSpacing = 4;

void Prepare(QTextDocument& document, const QStyleOptionViewItem& option, const QString& html, int width) {
    document.setDefaultFont(option.font);
    document.setDocumentMargin(2);
    document.setHtml(html);
    document.setTextWidth(std::max(width, 1));
}

QStyle* StyleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

QRect MarkedTextDelegate::TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    shown.text.clear();
    return StyleOf(shown)->subElementRect(QStyle::SE_ItemViewItemText, &shown, shown.widget);
}

void MarkedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    const QString html = shown.text;
    shown.text.clear();
    StyleOf(shown)->drawControl(QStyle::CE_ItemViewItem, &shown, painter, shown.widget);

    const QRect area = TextRect(option, index);
    QTextDocument document;
    Prepare(document, option, html, area.width());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = option.palette;
    if (option.state & QStyle::State_Selected)
        context.palette.setColor(QPalette::Text, option.palette.color(QPalette::HighlightedText));
    painter->save();
    painter->translate(area.topLeft());
    painter->setClipRect(QRect(QPoint(0, 0), area.size()));
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize MarkedTextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // A tree view asks for a row's height without its width: the row's width is its column's, less an indentation for
    // each level, as the view paints it.
    QStyleOptionViewItem sized = option;
    if (const auto* view = qobject_cast<const QTreeView*>(option.widget)) {
        int levels = view->rootIsDecorated() ? 1 : 0;
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            ++levels;
        sized.rect = QRect(0, 0, view->header()->sectionSize(index.column()) - levels * view->indentation(), 1);
    } else if (option.widget != nullptr) {
        sized.rect = QRect(0, 0, option.widget->width(), 1);
    }
    const QRect area = TextRect(sized, index);
    QTextDocument document;
    Prepare(document, option, index.data(Qt::DisplayRole).toString(), area.width());
    return QSize(sized.rect.width(), static_cast<int>(document.size().height()) + kRowSpacing);
}
