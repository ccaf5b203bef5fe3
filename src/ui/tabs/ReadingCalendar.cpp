#include "ReadingCalendar.h"

#include "StatisticsFormats.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kLeft = 36;   // room for the weekday names
constexpr int kTop = 20;    // room for the month names
constexpr int kBottom = 24; // room for the legend

} // namespace

ReadingCalendar::ReadingCalendar(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    SetDays({}, QDate::currentDate());
}

void ReadingCalendar::SetDays(const QMap<QDate, qint64>& secondsPerDay, const QDate& end) {
    m_secondsPerDay = secondsPerDay;
    m_firstMonday = end.addDays(1 - end.dayOfWeek()).addDays(-7 * (m_weeks - 1));
    update();
}

int ReadingCalendar::Level(qint64 seconds) {
    if (seconds <= 0)
        return 0;
    if (seconds < 15 * 60)
        return 1;
    if (seconds < 30 * 60)
        return 2;
    return seconds < 60 * 60 ? 3 : 4;
}

QSize ReadingCalendar::sizeHint() const {
    return {kLeft + m_weeks * 14 + 8, kTop + 7 * 14 + kBottom};
}

QRect ReadingCalendar::CellRect(int week, int weekday) const {
    const int cell = std::max(6, std::min((width() - kLeft - 8) / m_weeks, (height() - kTop - kBottom) / 7));
    return {kLeft + week * cell, kTop + weekday * cell, cell - 2, cell - 2};
}

QDate ReadingCalendar::DayAt(const QPoint& point) const {
    for (int week = 0; week < m_weeks; ++week)
        for (int weekday = 0; weekday < 7; ++weekday)
            if (CellRect(week, weekday).contains(point))
                return m_firstMonday.addDays(7 * week + weekday);
    return {};
}

// From the base colour (no reading) to the highlight colour (an hour or more): both come from the palette, so the
// shades keep their contrast in a dark palette as in a light one.
QColor ReadingCalendar::LevelColor(int level) const {
    const QColor base = palette().color(QPalette::AlternateBase);
    const QColor full = palette().color(QPalette::Highlight);
    const double share = level == 0 ? 0.0 : 0.25 + 0.75 * (level - 1) / 3.0;
    return QColor::fromRgbF(static_cast<float>(base.redF() + (full.redF() - base.redF()) * share),
                            static_cast<float>(base.greenF() + (full.greenF() - base.greenF()) * share),
                            static_cast<float>(base.blueF() + (full.blueF() - base.blueF()) * share));
}

void ReadingCalendar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    painter.setFont(small);
    int lastMonth = 0;
    for (int week = 0; week < m_weeks; ++week) {
        const QDate monday = m_firstMonday.addDays(7 * week);
        if (monday.month() != lastMonth) {
            lastMonth = monday.month();
            painter.drawText(CellRect(week, 0).left(), kTop - 6, QLocale().monthName(lastMonth, QLocale::ShortFormat));
        }
        for (int weekday = 0; weekday < 7; ++weekday) {
            const QDate day = monday.addDays(weekday);
            painter.fillRect(CellRect(week, weekday), LevelColor(Level(m_secondsPerDay.value(day))));
        }
    }
    for (const int weekday : {0, 2, 4})
        painter.drawText(2, CellRect(0, weekday).bottom(), QLocale().dayName(weekday + 1, QLocale::ShortFormat));
    // The legend: less ... more.
    const int y = CellRect(0, 6).bottom() + 8;
    const int cell = CellRect(0, 0).width();
    int x = CellRect(m_weeks - 1, 0).right() - 5 * (cell + 2) - 40;
    painter.drawText(x - 30, y + cell, "less");
    for (int level = 0; level <= 4; ++level, x += cell + 2)
        painter.fillRect(QRect(x, y, cell, cell), LevelColor(level));
    painter.drawText(x + 4, y + cell, "more");
}

bool ReadingCalendar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QDate day = DayAt(help->pos());
        if (day.isValid())
            QToolTip::showText(help->globalPos(),
                               day.toString(Qt::ISODate) + ": " +
                                   QString::fromStdString(DurationText(m_secondsPerDay.value(day))) + " read",
                               this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
