#include "ReadableColumn.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

ReadableColumn::ReadableColumn(QTableView& table, int column, int letters)
    : QObject(&table), m_table(table), m_column(column), m_least(table.fontMetrics().averageCharWidth() * letters) {
    QHeaderView* header = table.horizontalHeader();
    header->setSectionResizeMode(column, QHeaderView::Interactive);
    table.viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int section) {
        if (section != m_column)
            Fit();
    });
}

bool ReadableColumn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table.viewport() && event->type() == QEvent::Resize)
        Fit();
    return QObject::eventFilter(watched, event);
}

void ReadableColumn::Fit() {
    const QHeaderView* header = m_table.horizontalHeader();
    int others = 0;
    for (int section = 0; section < header->count(); ++section)
        if (section != m_column && !header->isSectionHidden(section))
            others += header->sectionSize(section);
    m_table.horizontalHeader()->resizeSection(m_column, std::max(m_least, m_table.viewport()->width() - others));
}
