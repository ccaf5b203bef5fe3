#include "BookListTab.h"

#include "ElidingLabel.h"
#include "ErrorDisplay.h"
#include "LoadedLibrary.h"
#include "NamedWidgets.h"
#include "Utf8Text.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace {

// Whether needle occurs in the row's text; an empty needle occurs nowhere.
bool RowMatches(const QString& row, const QString& needle, bool caseSensitive) {
    if (needle.isEmpty())
        return false;
    return caseSensitive ? row.contains(needle) : row.toLower().contains(needle);
}

bool IsShiftDown() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

} // namespace

BookListTab::BookListTab(const BookListNames& names, const BookListKind& kind, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_searchEdit(Named<QLineEdit>(names.searchEdit)),
      m_caseBox(TickedBox(names.caseBox, "case sensitive", true)),
      m_findNext(Named<QPushButton>(names.findNext, "find next")), m_list(Named<QListWidget>(names.list)),
      // The facts of the selected row never widen the window: long ones are elided, ids in the middle.
      m_upperLabel(Named<ElidingLabel>(names.upperLabel, Qt::ElideRight)),
      m_lowerLabel(Named<ElidingLabel>(names.lowerLabel, kind.lowerLookup ? Qt::ElideRight : Qt::ElideMiddle)) {
    setObjectName(QString::fromLatin1(names.tab));

    // The search row on top (the edit stretches, the box and the button keep right), the list growing with the tab,
    // and the two labels kept at the bottom left.
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Named<QLabel>(names.findLabel, names.findCaption));
    searchRow->addWidget(m_searchEdit, 1);
    searchRow->addSpacing(4);
    searchRow->addWidget(m_caseBox);
    searchRow->addWidget(m_findNext);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 4, 4, 2);
    column->setSpacing(2);
    column->addLayout(searchRow);
    column->addWidget(m_list, 1);
    column->addWidget(m_upperLabel);
    column->addWidget(m_lowerLabel);
    const std::array<QWidget*, 4> order = names.listFirst
                                              ? std::array<QWidget*, 4>{m_list, m_searchEdit, m_caseBox, m_findNext}
                                              : std::array<QWidget*, 4>{m_searchEdit, m_list, m_caseBox, m_findNext};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_list, &QListWidget::currentRowChanged, this, [this] { Guarded([this] { ShowFacts(); }); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Guarded([this] { ExportOrRepair(); }); });
    m_list->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { Guarded([&] { ShowRowMenu(at); }); });
    connect(m_searchEdit, &QLineEdit::textChanged, this, [this] { Guarded([this] { Search(0); }); });
    connect(m_searchEdit, &QLineEdit::returnPressed, this, [this] { Guarded([this] { FindNext(); }); });
    connect(m_findNext, &QPushButton::clicked, this, [this] { Guarded([this] { FindNext(); }); });
}

void BookListTab::Guarded(const std::function<void()>& handler) {
    RunGuarded(this, handler);
}

void BookListTab::SetLibrary(std::shared_ptr<const LoadedLibrary> library) {
    m_library = std::move(library);
}

void BookListTab::ShowRows() {
    ClearRows();
    if (!m_library)
        return;
    const TSortedStringList& entries = m_library->Index().*m_kind.rows;
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(entries.Count()));
    for (std::size_t i = 0; i < entries.Count(); ++i)
        rows << DecodeUtf8(m_kind.pairs ? entries.ValueAt(i) : entries[i]);
    m_list->addItems(rows);
}

void BookListTab::ClearRows() {
    m_list->clear();
    m_upperLabel->clear();
    m_lowerLabel->clear();
}

void BookListTab::ClearLabelsAndSearch() {
    m_upperLabel->clear();
    m_lowerLabel->clear();
    m_searchEdit->clear();
}

// The row's volume id is taken from the index, byte for byte, so that an id the list cannot show (it is no valid
// UTF-8) still leads to its own bookmarks.
std::optional<std::string> BookListTab::SelectedVolumeId() const {
    const int row = m_list->currentRow();
    if (row < 0 || !m_library)
        return std::nullopt;
    const TSortedStringList& entries = m_library->Index().*m_kind.rows;
    const auto at = static_cast<std::size_t>(row);
    return m_kind.pairs ? entries.NameAt(at) : entries[at];
}

void BookListTab::ShowFacts() {
    const std::optional<std::string> volume = SelectedVolumeId();
    if (!volume)
        return;
    const LibraryIndex& index = m_library->Index();
    m_upperLabel->setText(DecodeUtf8((index.*m_kind.upperLookup).ValueOf(*volume)));
    m_lowerLabel->setText(DecodeUtf8(m_kind.lowerLookup ? (index.*m_kind.lowerLookup).ValueOf(*volume) : *volume));
}

// Typing searches from the top; "find next" from the row after the selected one, going on at the top after the last.
void BookListTab::Search(int startRow) {
    const bool caseSensitive = m_caseBox->isChecked();
    const QString needle = caseSensitive ? m_searchEdit->text() : m_searchEdit->text().toLower();
    if (needle.isEmpty())
        return;
    const int count = m_list->count();
    const int first = std::clamp(startRow, 0, std::max(count, 1));
    for (int step = 0; step < count; ++step) {
        const int row = (first + step) % count;
        if (RowMatches(m_list->item(row)->text(), needle, caseSensitive)) {
            emit Searched(true);
            m_list->setCurrentRow(row);
            m_list->scrollToItem(m_list->item(row));
            ShowFacts();
            return;
        }
    }
    emit Searched(false);
}

void BookListTab::FindNext() {
    Search(m_list->currentRow() + 1);
}

void BookListTab::ExportOrRepair() {
    const std::optional<std::string> volume = SelectedVolumeId();
    if (!volume)
        return;
    if (IsShiftDown())
        emit RepairRequested(*volume);
    else
        emit ExportRequested(*volume);
}

std::unique_ptr<QMenu> BookListTab::RowMenu() {
    const std::optional<std::string> id = SelectedVolumeId();
    if (!id)
        return nullptr;
    auto menu = std::make_unique<QMenu>(m_list);
    connect(menu->addAction("export annotations"), &QAction::triggered, this,
            [this, id = *id] { emit ExportRequested(id); });
    connect(menu->addAction("repair content ids"), &QAction::triggered, this,
            [this, id = *id] { emit RepairRequested(id); });
    connect(menu->addAction("copy volume id"), &QAction::triggered, this,
            [id = *id] { QGuiApplication::clipboard()->setText(DecodeUtf8(id)); });
    return menu;
}

void BookListTab::ShowRowMenu(const QPoint& at) {
    QListWidgetItem* item = m_list->itemAt(at);
    if (item == nullptr)
        return;
    m_list->setCurrentItem(item);
    if (const std::unique_ptr<QMenu> menu = RowMenu())
        menu->exec(m_list->viewport()->mapToGlobal(at));
}

bool BookListTab::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a row does what a double-click does; with Shift, the repair.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([this] { ExportOrRepair(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
