// The library tab's right-click menus: on a book of the table and on the chosen book's highlights, what a user does
// next with them.
#include "LibraryTab.h"

#include "BookHighlightsView.h"
#include "LibraryBooksModel.h"
#include "NotePreview.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

void LibraryTab::AddNoteAndFolderEntries(QMenu& menu) {
    connect(menu.addAction("show the &note"), &QAction::triggered, this,
            [this] { m_bookPane->setCurrentWidget(m_notePreview); });
    connect(menu.addAction("open the results &folder"), &QAction::triggered, this, &LibraryTab::ResultsFolderRequested);
}

std::unique_ptr<QMenu> LibraryTab::BookMenu() {
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return nullptr;
    auto menu = std::make_unique<QMenu>(m_table);
    connect(menu->addAction("&export highlights"), &QAction::triggered, this, &LibraryTab::ExportCurrentBook);
    const QString title = current.siblingAtColumn(LibraryBooksModel::Title).data().toString();
    connect(menu->addAction("&copy title"), &QAction::triggered, this,
            [title] { QApplication::clipboard()->setText(title); });
    AddNoteAndFolderEntries(*menu);
    return menu;
}

std::unique_ptr<QMenu> LibraryTab::HighlightsMenu() {
    if (m_highlights->SelectedIds().empty())
        return nullptr;
    auto menu = std::make_unique<QMenu>(m_highlights);
    connect(menu->addAction("e&xport selected highlights"), &QAction::triggered, m_exportSelected, &QPushButton::click);
    connect(menu->addAction("&copy"), &QAction::triggered, this,
            [this] { QApplication::clipboard()->setMimeData(m_highlights->SelectedAsMime().release()); });
    AddNoteAndFolderEntries(*menu);
    return menu;
}

void LibraryTab::ShowBookMenu(const QPoint& at) {
    const QModelIndex row = m_table->indexAt(at);
    if (!row.isValid())
        return;
    m_table->setCurrentIndex(row);
    if (const std::unique_ptr<QMenu> menu = BookMenu())
        menu->exec(m_table->viewport()->mapToGlobal(at));
}

void LibraryTab::ShowHighlightsMenu(const QPoint& at) {
    QTreeWidgetItem* item = m_highlights->itemAt(at);
    if (item == nullptr || item->data(BookHighlightsView::Text, BookHighlightsView::kBookmarkIdRole).isNull())
        return;
    if (!item->isSelected())
        m_highlights->setCurrentItem(item);
    if (const std::unique_ptr<QMenu> menu = HighlightsMenu())
        menu->exec(m_highlights->viewport()->mapToGlobal(at));
}
