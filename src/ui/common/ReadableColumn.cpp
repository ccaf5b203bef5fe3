#include "ReadableColumn.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

ReadableColumn::ReadableColumn(QTableView& table, int column, int letters)
    : QObject(&table), m_header(table.horizontalHeader()), m_viewport(table.viewport()), m_column(column),
      m_least(table.fontMetrics().averageCharWidth() * letters) {
    QHeaderView* header = table.horizontalHeader();
    header->setSectionResizeMode(column, QHeaderView::Interactive);
    m_viewport->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int section) {
        if (section != m_column)
            Fit();
    });
}

bool ReadableColumn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && event->type() == QEvent::Resize)
        Fit();
    return QObject::eventFilter(watched, event);
}

void ReadableColumn::Fit() {
    // Never through the table itself: a resize may come while it is being taken down, its header and viewport not yet.
    if (m_header.isNull() || m_viewport.isNull())
        return;
    int others = 0;
    for (int section = 0; section < m_header->count(); ++section)
        if (section != m_column && !m_header->isSectionHidden(section))
            others += m_header->sectionSize(section);
    m_header->resizeSection(m_column, std::max(m_least, m_viewport->width() - others));
}
