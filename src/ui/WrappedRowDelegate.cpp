#include "WrappedRowDelegate.h"

#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace {

constexpr int kRowSpacing = 6;

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
    QStyleOptionViewItem sized = option;
    sized.rect = QRect(0, 0, std::max(width, 1), std::max(option.rect.height(), 1));
    // A little air between one highlight and the next.
    return QStyledItemDelegate::sizeHint(sized, index) + QSize(0, kRowSpacing);
}
