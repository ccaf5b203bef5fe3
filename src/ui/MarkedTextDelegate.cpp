#include "MarkedTextDelegate.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace {

void Prepare(QTextDocument& document, const QStyleOptionViewItem& option, const QString& html) {
    document.setDefaultFont(option.font);
    document.setDocumentMargin(2);
    document.setHtml(html); // one line, cut at the item's edge
}

} // namespace

void MarkedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    const QString html = shown.text;
    shown.text.clear();
    QStyle* style = shown.widget ? shown.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &shown, painter, shown.widget);

    QTextDocument document;
    Prepare(document, option, html);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = option.palette;
    if (option.state & QStyle::State_Selected)
        context.palette.setColor(QPalette::Text, option.palette.color(QPalette::HighlightedText));
    painter->save();
    painter->translate(option.rect.topLeft());
    painter->setClipRect(option.rect.translated(-option.rect.topLeft()));
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize MarkedTextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QTextDocument document;
    Prepare(document, option, index.data(Qt::DisplayRole).toString());
    return QSize(static_cast<int>(document.idealWidth()), static_cast<int>(document.size().height()));
}
