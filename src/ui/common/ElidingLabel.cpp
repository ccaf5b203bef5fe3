#include "ElidingLabel.h"

#include <QPainter>

void ElidingLabel::paintEvent(QPaintEvent*) {
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), m_mode, room.width());
    setToolTip(shown == text() ? QString() : text());
    QPainter painter(this);
    painter.drawText(room, static_cast<int>(alignment()) | Qt::TextSingleLine, shown);
}
